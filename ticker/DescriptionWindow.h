#pragma once
// The small window under the ticker that shows an item's description: a
// frameless tool-tip style label, word-wrapped, at most 400 pixels wide. It
// never takes the focus from the window the user works in.
#include <QLabel>
#include <QString>

class TDescriptionWindow : public QLabel {
    Q_OBJECT
public:
    static constexpr int kMaxWidth = 400;

    explicit TDescriptionWindow(QWidget* owner);

    // The size the window needs for text, word-wrapped within maxWidth
    // pixels, placed at (0, 0).
    QRect CalcHintRect(int maxWidth, const QString& text) const;
    // Shows text in rect (screen coordinates) without activating the window.
    void ActivateHint(const QRect& rect, const QString& text);
    void SetColor(const QColor& color);

    // The text as last given to ActivateHint (line ends as given).
    const QString& HintText() const { return hintText; }

private:
    static QString DisplayText(const QString& text);

    QString hintText;
};
