#include "cabinet_screen_support.h"

#include <cstdlib>

#include "display/image_decode.h"
#include "game/message_panel.h"
#include "platform/files.h"
#include "shell/menu.h"

namespace {
// A screen region that differs from a picture by less than this (per channel, on average) shows
// that picture; unrelated pictures differ by several times as much.
constexpr double SamePicture = 12.0;
constexpr int PanelFrames = 31;

// The question box: where the question text is laid out, and what counts as its text's colour.
constexpr int BoxX = 155, BoxY = 466, BoxWidth = 315, BoxHeight = 110;
constexpr int InkBrightness = 3 * 150;
// Rows without text between two lines of text; gaps inside a line's letters are shorter.
constexpr int LineGapRows = 3;

bool IsKey(const uint8_t* p) {
    return p[0] == 255 && p[1] == 0 && p[2] == 255;
}

std::string StagedPath(const std::string& stageDir, const char* gamePath) {
    // The game's paths use doubled slashes; the files live at the plain path.
    std::string path = gamePath;
    for (size_t at; (at = path.find("//")) != std::string::npos;) path.erase(at, 1);
    return stageDir + "/" + path;
}
}  // namespace

bool LoadStagedPicture(const std::string& path, int frames, StagedPicture& picture,
                       std::string& error) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path.c_str(), bytes)) {
        error = "cannot read " + path;
        return false;
    }
    DecodedImage image;
    if (!DecodeBmp(bytes.data(), bytes.size(), 32, image, error)) {
        error = path + ": " + error;
        return false;
    }
    if (frames <= 0 || image.height % frames != 0) {
        error = path + ": height " + std::to_string(image.height) + " is not " +
                std::to_string(frames) + " frames";
        return false;
    }
    picture.width = image.width;
    picture.frameHeight = image.height / frames;
    picture.frames = frames;
    picture.rgba = DecodedToRgba(image);
    return true;
}

double FrameDifference(const Screenshot& shot, const StagedPicture& picture, int frame, int x,
                       int y, bool outsideQuestionBox) {
    if (frame < 0 || frame >= picture.frames) return 255.0;
    long total = 0, count = 0;
    // Every second pixel of every second row is plenty to tell pictures apart.
    for (int row = 0; row < picture.frameHeight; row += 2) {
        int sy = y + row;
        if (sy < 0 || sy >= shot.height) continue;
        const uint8_t* line = &picture.rgba[static_cast<size_t>(frame * picture.frameHeight + row) *
                                            static_cast<size_t>(picture.width) * 4];
        for (int col = 0; col < picture.width; col += 2) {
            int sx = x + col;
            if (sx < 0 || sx >= shot.width) continue;
            const uint8_t* p = line + static_cast<size_t>(col) * 4;
            if (IsKey(p)) continue;
            if (outsideQuestionBox && sx >= BoxX && sx < BoxX + BoxWidth && sy >= BoxY &&
                sy < BoxY + BoxHeight)
                continue;
            const uint8_t* s = shot.At(sx, sy);
            total += std::abs(p[0] - s[0]) + std::abs(p[1] - s[1]) + std::abs(p[2] - s[2]);
            count += 3;
        }
    }
    return count == 0 ? 255.0 : static_cast<double>(total) / static_cast<double>(count);
}

bool CabinetScreen::Load(const std::string& stageDir) {
    return LoadStagedPicture(StagedPath(stageDir, MessagePanelSprite), PanelFrames, panel_, why_) &&
           LoadStagedPicture(StagedPath(stageDir, MainMenuButtonSprite), 2, mainMenu_, why_) &&
           LoadStagedPicture(StagedPath(stageDir, RulesButtonSprite), 2, rules_, why_) &&
           LoadStagedPicture(StagedPath(stageDir, PlayButtonSprite), 2, play_, why_);
}

int CabinetScreen::Panel(const Screenshot& shot) const {
    int best = -1;
    double bestDifference = SamePicture;
    for (int f = 0; f < panel_.frames; ++f) {
        double d = FrameDifference(shot, panel_, f, MessagePanelX, MessagePanelY);
        if (d < bestDifference) {
            bestDifference = d;
            best = f;
        }
    }
    // A question's text covers much of its panel's box; scaled and sampled back, three lines of
    // it can differ from the bare panel by more than the bound. Around the box it is the panel.
    if (best < 0 && QuestionTextLines(shot) > 0) {
        for (int f : {PanelQuestion, PanelWarning}) {
            double d = FrameDifference(shot, panel_, f, MessagePanelX, MessagePanelY, true);
            if (d < bestDifference) {
                bestDifference = d;
                best = f;
            }
        }
    }
    return best;
}

bool CabinetScreen::MenuShown(const Screenshot& shot) const {
    const MenuButtonPlace& mainMenu = MenuButtonPlaces[0];
    const MenuButtonPlace& rules = MenuButtonPlaces[1];
    return FrameDifference(shot, mainMenu_, 0, mainMenu.x, mainMenu.y) < SamePicture &&
           FrameDifference(shot, rules_, 0, rules.x, rules.y) < SamePicture;
}

bool CabinetScreen::PlayButtonShown(const Screenshot& shot) const {
    const MenuButtonPlace& play = MenuButtonPlaces[2];
    return FrameDifference(shot, play_, 0, play.x, play.y) < SamePicture;
}

int QuestionTextLines(const Screenshot& shot) {
    int lines = 0, blankRun = LineGapRows;
    for (int y = BoxY; y < BoxY + BoxHeight && y < shot.height; ++y) {
        bool ink = false;
        for (int x = BoxX; x < BoxX + BoxWidth && x < shot.width && !ink; ++x) {
            const uint8_t* p = shot.At(x, y);
            ink = p[0] + p[1] + p[2] >= InkBrightness;
        }
        if (ink) {
            if (blankRun >= LineGapRows) ++lines;
            blankRun = 0;
        } else {
            ++blankRun;
        }
    }
    return lines;
}

std::vector<uint8_t> QuestionInk(const Screenshot& shot) {
    std::vector<uint8_t> ink;
    for (int y = BoxY; y < BoxY + BoxHeight && y < shot.height; ++y)
        for (int x = BoxX; x < BoxX + BoxWidth && x < shot.width; ++x) {
            const uint8_t* p = shot.At(x, y);
            ink.push_back(p[0] + p[1] + p[2] >= InkBrightness);
        }
    return ink;
}
