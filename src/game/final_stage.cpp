#include "game/final_stage.h"
#include "core/timing.h"
#include "display/display.h"
#include "game/journal.h"
#include "game/message_panel.h"
#include "game/outside.h"
#include "game/question_round.h"
#include "game/screen_drawing.h"
#include "records/audit.h"
#include "sound/effect_ids.h"

namespace {
// The panel behind each big team.
constexpr FadeRect BigTeamPanels[BigTeamCount] = {
    {43, 218, 119, 286}, {313, 488, 61, 228}, {583, 758, 119, 286}};

void DrawBigTeam(int q, const char* picture, float opacity) {
    const Team& team = gGameSession.Teams[gGameSession.BigTeams[q]];
    ScreenPoint spot = BigTeamSpots[q];
    DrawAlphaPicture(picture, team.picture, spot.x, spot.y, opacity);
}

void DrawBigTeamPrize(int q, float opacity) {
    ScreenPoint spot = BigTeamSpots[q];
    DrawAlphaPicture(SmallPrizesSprite, PrizePicture(gGameSession.Prizes[q]), spot.x + 17,
                     spot.y - 42, opacity);
}

// The opening's picture of the big teams' small pictures at the given places.
void DrawSlidingFrame(const ScreenPoint* places) {
    DrawGameBackground();
    DrawMessagePanel(PanelFinalOpening);
    for (int q = 0; q < BigTeamCount; ++q) {
        const Team& team = gGameSession.Teams[gGameSession.BigTeams[q]];
        DrawAlphaPicture(SmallTeamsSprite, team.picture, places[q].x, places[q].y, 1.0f);
    }
}

// Big team q goes from standing to knocked out with the prize fading with it.
void FadeOutBigTeam(int q) {
    StartTransition(200);
    while (!TransitionDone()) {
        float a = 1.0f - static_cast<float>(TransitionProgress(11)) / 10.0f;
        DrawBigTeam(q, BigTeamsOutSprite, 1.0f);
        if (a > 0.0f) {
            DrawBigTeam(q, BigTeamsSprite, a);
            DrawBigTeamPrize(q, a);
        } else {
            DrawBigTeam(q, BigTeamsOutSprite, 0.3f);
            DrawBigTeamPrize(q, 0.3f);
        }
        Present();
    }
}
}  // namespace

void DrawBigTeams() {
    RestoreGameBackground({0, 800, 47, 430});
    for (int q = 0; q < BigTeamCount; ++q) {
        if (gGameSession.BigTeams[q] < 0) continue;
        RestoreGameBackground(BigTeamPanels[q]);
        bool standing = gGameSession.Teams[gGameSession.BigTeams[q]].standing;
        float opacity = standing ? 1.0f : 0.3f;
        DrawBigTeam(q, standing ? BigTeamsSprite : BigTeamsOutSprite, opacity);
        DrawBigTeamPrize(q, opacity);
    }
}

void FinalIntro() {
    ScreenPoint places[BigTeamCount];
    SlidingTeam slides[BigTeamCount];
    for (int q = 0; q < BigTeamCount; ++q) {
        const Team& team = gGameSession.Teams[gGameSession.BigTeams[q]];
        places[q] = {team.x, team.y};
    }
    DrawSlidingFrame(places);
    gGameOutside.playEffect(EffectBigPoints);
    Present();
    WaitOrTouch(2000);
    for (int q = 0; q < BigTeamCount; ++q) slides[q] = StartSlide(places[q], BigTeamTargets[q]);
    for (;;) {
        for (int q = 0; q < BigTeamCount; ++q) {
            MoveSlide(slides[q]);
            places[q] = {static_cast<int32_t>(slides[q].x), static_cast<int32_t>(slides[q].y)};
        }
        DrawSlidingFrame(places);
        Present();
        bool all = true;
        for (SlidingTeam& slide : slides) {
            CheckSlideArrival(slide);
            all = all && slide.arrived;
        }
        if (all) break;
    }
    DrawSlidingFrame(BigTeamTargets);
    Present();
    WaitOrTouch(800);
    for (int q = 0; q < BigTeamCount; ++q) {
        DrawBigTeam(q, BigTeamsSprite, 1.0f);
        DrawBigTeamPrize(q, 1.0f);
        Present();
        gGameOutside.playEffect(EffectBigTeamsUp);
        WaitPumping(250);
    }
    gGameSession.JokersLeft = 0;
    gGameSession.PassesLeft = 0;
    DrawBigTeams();
    Present();
    WaitOrTouch(1000);
}

void RunFinalStage() {
    FinalIntro();
    JournalFinalSettled(0);
    RunFinalQuestions(0, false);
}

void RunFinalQuestions(int i, bool over) {
    bool won = i > 0;
    if (i >= BigTeamCount) over = true;
    while (!over) {
        int32_t grade = FinalGrade(PayoutBand(), i);
        if (QuestionRound(true, grade) != AnswerRight) {
            over = true;
            continue;
        }
        gGameSession.Teams[gGameSession.BigTeams[i]].standing = false;
        gGameOutside.playEffect(EffectBigPoints);
        FadeOutBigTeam(i);
        DrawBigTeams();
        i = i + 1;
        won = true;
        AddWholeToBalance(0, static_cast<int16_t>(gGameSession.Prizes[i - 1]));
        JournalFinalSettled(i);
        Present();
        WaitOrTouch(1000);
        if (i == BigTeamCount) over = true;
    }
    DrawMessagePanel(FinalResultPanel(i));
    Present();
    WaitOrTouch(3000);
    if (!won) {
        BumpCounter(CounterFinalsLostWithoutBigTeamBeaten);
        gGameSession.WinAmount = 0;
        return;
    }
    gGameSession.WinAmount = gGameSession.Prizes[i - 1];
    SetGameState(GameFinalWon);
}
