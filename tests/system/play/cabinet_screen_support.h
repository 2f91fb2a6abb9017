// Reading the cabinet's screen from a screenshot: which message panel is up, whether the menu is
// showing and with which sign, and how many lines of question text the question box holds.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "desktop_support.h"

// One picture of the staged working folder, as opaque RGBA frames stacked top to bottom.
struct StagedPicture {
    int width = 0;
    int frameHeight = 0;
    int frames = 0;
    std::vector<uint8_t> rgba;
};

// Loads a keyed 24-bit BMP of `frames` frames; false with the reason when it cannot.
bool LoadStagedPicture(const std::string& path, int frames, StagedPicture& picture,
                       std::string& error);

// Mean difference per colour channel (0 to 255) between frame `frame` of the picture and the
// screen at (x, y), over the picture's pixels that are not the magenta key (nor, when asked, in
// the question box).
double FrameDifference(const Screenshot& shot, const StagedPicture& picture, int frame, int x,
                       int y, bool outsideQuestionBox = false);

// The pictures the screen is read by, loaded from a staged working folder.
class CabinetScreen {
  public:
    // False (with the reason in why()) when a picture is missing or unreadable.
    bool Load(const std::string& stageDir);
    const std::string& why() const { return why_; }
    // The message panel frame on screen (0 to 30), or -1 when none matches closely.
    int Panel(const Screenshot& shot) const;
    // True when the menu's Main Menu and Rules buttons are up.
    bool MenuShown(const Screenshot& shot) const;
    // True when the menu shows its play button rather than the insert-coins sign.
    bool PlayButtonShown(const Screenshot& shot) const;

  private:
    StagedPicture panel_, mainMenu_, rules_, play_;
    std::string why_;
};

// The number of separate lines of text in the question box (bright text on the dark box).
int QuestionTextLines(const Screenshot& shot);

// Which pixels of the question box are text: the same question shows the same pattern.
std::vector<uint8_t> QuestionInk(const Screenshot& shot);
