#pragma once
// The region attribute table: for each of the 200 palette colours and each of the three page
// events, 17 text fields; then the page's background music and the row count of the attribute
// file. Every value is text; empty means not set.

#include <array>
#include <string>
#include <utility>

namespace project {

// The three page events, in the order of the attribute window's tabs.
enum EventKind { onMouseOver = 0, onClick = 1, onDblClick = 2 };

constexpr int kColorCount = 200;
constexpr int kEventCount = 3;
constexpr int kFieldCount = 17;
constexpr int kCellCount = kColorCount * kEventCount;

// Field order of the table itself (the files and the page use another order).
enum Field {
    link = 0,
    sound,
    picture,
    video,
    hint,
    linkNewWindow,
    soundLoop,
    videoLoop,
    soundVolume,
    videoVolume,
    pictureWidth,
    pictureHeight,
    videoWidth,
    videoHeight,
    hintStyle,
    pictureFrame,
    videoFrame,
};

// The order of a colour's 17 fields per event in the attribute file and in the page's data.
extern const std::array<Field, kFieldCount> kFileFieldOrder;

class RegionAttributes {
  public:
    RegionAttributes() { clearAll(); }

    // Colour c in 0..199, event e in 0..2.
    const std::string& get(Field f, int c, int e) const { return fields[f][cellIndex(c, e)]; }
    void set(Field f, int c, int e, std::string value) {
        fields[f][cellIndex(c, e)] = std::move(value);
    }

    void clearAll();
    void clearColor(int c);
    void clearCell(int c, int e);
    // A link, sound, picture, video or tooltip is set in one of the colour's three cells.
    bool isInUse(int c) const;
    // Fills the style defaults of a cell about to be shown: tooltip style "9", frames "1".
    void showDefaults(int c, int e);

    static int cellIndex(int c, int e);

    std::array<std::array<std::string, kCellCount>, kFieldCount> fields;
    std::string backgroundMusic;
    std::string backgroundVolume = "1";
    std::string backgroundLoop;
    int rowCount = 0;
};

} // namespace project
