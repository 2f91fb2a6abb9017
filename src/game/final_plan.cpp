#include <cmath>

#include "core/random.h"
#include "game/final_stage.h"
#include "game/message_panel.h"

const ScreenPoint BigTeamSpots[BigTeamCount] = {{43, 155}, {313, 100}, {583, 155}};
const ScreenPoint BigTeamTargets[BigTeamCount] = {{91, 199}, {361, 144}, {631, 199}};
const int32_t FinalGrades[7][BigTeamCount] = {{3, 3, 3}, {2, 3, 3}, {2, 2, 3}, {1, 2, 3},
                                              {1, 2, 2}, {1, 1, 2}, {1, 1, 1}};

int32_t FinalGrade(int band, int index) {
    if (band < 0) band = 0;
    if (band > 6) band = 6;
    if (index < 0) index = 0;
    if (index >= BigTeamCount) index = BigTeamCount - 1;
    return FinalGrades[band][index];
}

int32_t FinalResultPanel(int beaten) {
    switch (beaten) {
        case 1:
            return PanelOneBigTeamBeaten;
        case 2:
            return PanelTwoBigTeamsBeaten;
        case 3:
            return PanelAllBigTeamsBeaten;
        default:
            return ChancePercent(50) ? PanelFinalLost : PanelFinalLostOther;
    }
}

SlidingTeam StartSlide(ScreenPoint from, ScreenPoint target) {
    SlidingTeam s{};
    float heading = AngleBetween(from.x, from.y, target.x, target.y);
    s.vx = 8.0f * std::cos(heading);
    s.vy = 8.0f * std::sin(heading);
    s.x = static_cast<float>(from.x);
    s.y = static_cast<float>(from.y);
    s.target = target;
    s.fromLeft = from.x < target.x;
    s.arrived = false;
    return s;
}

void MoveSlide(SlidingTeam& slide) {
    if (slide.arrived) return;
    slide.x += slide.vx;
    slide.y += slide.vy;
}

void CheckSlideArrival(SlidingTeam& slide) {
    int32_t x = static_cast<int32_t>(slide.x);
    if ((slide.fromLeft && x >= slide.target.x) || (!slide.fromLeft && x <= slide.target.x)) {
        slide.arrived = true;
        slide.x = static_cast<float>(slide.target.x);
        slide.y = static_cast<float>(slide.target.y);
    }
}
