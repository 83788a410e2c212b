#pragma once
// The node icons: 16 x 16 pictures addressed by stable indexes. The first ten
// are drawn by code (note, missing file, feed, folder, web link, clock, tree,
// logo, audio, video); site and file icons are appended at run time.
#include <QIcon>
#include <QImage>
#include <vector>

enum TPredefinedImage : int {
    imgNote = 0,
    imgMissingFile = 1,
    imgFeed = 2,
    imgFolder = 3,
    imgWebLink = 4,
    imgClock = 5,
    imgTree = 6,
    imgLogo = 7,
    imgAudio = 8,
    imgVideo = 9,
    kPredefinedImageCount = 10
};

class TImageList {
public:
    TImageList() = default;

    int Count() const { return static_cast<int>(icons.size()); }
    // Appends and returns the new index.
    int Add(const QIcon& icon);
    // Deletes images from the end until count remain.
    void Truncate(int count);
    // A null icon for an index out of range.
    QIcon Icon(int index) const;
    // Adds the ten predefined pictures.
    void AddPredefined();

    // A neutral picture for an icon file that cannot be read, so that the
    // image of registry entry i stays at index i.
    static QIcon Placeholder();
    static QIcon Predefined(int index);
    // The program's own picture (the logo) drawn at size x size pixels, for
    // the windows, the tray and the desktop's icon theme.
    static QImage ApplicationImage(int size);
    static QIcon ApplicationIcon();

private:
    std::vector<QIcon> icons;
};
