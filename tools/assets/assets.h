// The cabinet's asset set: every picture and sound the game opens, with its exact path.
#pragma once
#include <string>
#include <vector>

#include "display/asset_manifest.h"
#include "encode.h"
#include "image.h"

enum class PictureFormat { Bmp, Tga, TgaRaw, Pcx };

struct Picture {
    std::string path;  // relative to the working folder, exact case
    PictureFormat format;
    int frames;  // frames stacked vertically
    Image image;
};

struct Sound {
    std::string path;
    Bytes bytes;
};

// The file of a sprite (by its program path) or of a resource image (by its id), relative to the
// output folder, and the frames stacked in it.
inline std::string FileOf(const char* sprite) {
    return AssetFilePath(sprite);
}
inline std::string FileOf(int32_t image) {
    return AssetFilePath(ResourceImagePath(image));
}
inline int FramesOf(const char* sprite) {
    return SpriteFrames(sprite);
}
inline int FramesOf(int32_t image) {
    return ResourceImageFrames(image);
}

// Each maker appends its pictures.
void MakeTeamPictures(std::vector<Picture>& out);
void MakeFontPictures(std::vector<Picture>& out);
void MakeMessagePanel(std::vector<Picture>& out);
void MakeButtonPictures(std::vector<Picture>& out);
void MakeScreenPictures(std::vector<Picture>& out);
void MakeGamePictures(std::vector<Picture>& out);

// The 44 effects as WAV files.
void MakeEffects(std::vector<Sound>& out);
// The two tunes as MP3 files; false when the encoder fails.
bool MakeTunes(std::vector<Sound>& out);

// Encodes a picture in its format.
Bytes EncodePicture(const Picture& p);
// Draws every frame of every picture on one review sheet, after mock-ups of the game's screens.
Image ContactSheet(const std::vector<Picture>& pictures);
// The game's main screens put together from the pictures, as the game draws them.
std::vector<Image> PreviewScreens(const std::vector<Picture>& pictures);

// One rival team: its name, colours and the pattern of its shirt.
struct Team {
    const char* name;
    const char* initials;
    Rgb main;
    Rgb second;
    int pattern;  // 0 stripes, 1 halves, 2 hoops, 3 chevron, 4 quarters
};
const std::vector<Team>& RivalTeams();

// Message panel geometry (shared by the panel, the numbers and the screens).
constexpr int kPanelWidth = 350;
constexpr int kPanelHeight = 158;
constexpr int kPanelFrames = SpriteFrames(MessagePanelSprite);
