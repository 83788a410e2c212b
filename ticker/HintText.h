#pragma once
// The texts the ticker puts beside an item: its hint value and the text of the
// description window. Pure functions, so the wrapping rules can be checked
// without a window.
#include "model/TreeItems.h"

#include <QString>

// Word wrap to lines of at most maxCol characters. A break goes after a tab,
// blank, "-" or "." and is marked by CR LF; nothing is removed. Break
// characters inside single or double quotes do not count, so quoted text is
// never split (an unclosed quote keeps the rest of the text together). A word
// longer than a line is left whole and breaks at its first break character.
QString WrapHintText(const QString& text, int maxCol = 80);

// The date caption kept in lbPubDate: "dd.MM - hh:mm".
QString PubDateCaption(TDateTime timeStamp);

// The hint of the strip: wrapped plain description (plus CR LF when not
// blank), the link's site prefix, a blank and the date caption.
QString TickerHintText(const TTreeItem& item, const QString& pubDateCaption);

// The description window's text: plain description (plus CR LF when not
// blank), the link's site prefix and a blank when there is a link, the local
// date and time when there is a time stamp. Empty when all that is blank.
QString DescriptionText(const TTreeItem& item);
