#include "core/random.h"
#include "core/timing.h"
#include "display/display.h"
#include "game/message_panel.h"
#include "game/outside.h"
#include "game/removal.h"
#include "game/screen_drawing.h"
#include "game/session.h"
#include "sound/effect_ids.h"

namespace {
// Fades one team, `times` times; stops early when no ordinary team is left. Returns how many
// went.
int32_t FadeOutTeams(int32_t times) {
    int32_t gone = 0;
    for (int32_t i = 0; i < times; ++i) {
        if (!FadeOutTeam()) break;
        ++gone;
    }
    return gone;
}
}  // namespace

void DrawTeams() {
    RestoreGameBackground({0, 800, 47, 430});
    DrawTeamPictures();
}

void DrawTeamPictures() {
    for (const Team& t : gGameSession.Teams) {
        if (t.standing)
            DrawAlphaPicture(SmallTeamsSprite, t.picture, t.x, t.y, 1.0f);
        else
            DrawAlphaPicture(SmallTeamsOutSprite, t.picture, t.x, t.y, 0.3f);
    }
}

bool FadeOutTeam() {
    int32_t t = KnockOutTeam();
    if (t < 0) return false;
    const Team& team = gGameSession.Teams[t];
    gGameOutside.playEffect(RandomBelow(2) != 0 ? EffectTeamGone1 : EffectTeamGone2);
    StartTransition(200);
    while (!TransitionDone()) {
        float a = 1.0f - static_cast<float>(TransitionProgress(11)) / 10.0f;
        DrawAlphaPicture(SmallTeamsOutSprite, team.picture, team.x, team.y, 1.0f);
        if (a > 0.0f) DrawAlphaPicture(SmallTeamsSprite, team.picture, team.x, team.y, a);
        Present();
    }
    DrawTeams();
    Present();
    return true;
}

int32_t RemoveTeams() {
    RemovalStep step = PlanRemoval();
    DrawMessagePanel(PanelKnockingOut);
    Present();
    int32_t total = FadeOutTeams(step.lToRemove);
    if (gGameSession.JokerArmed) {
        DrawMessagePanel(PanelJokerExtra);
        Present();
        gGameOutside.playEffect(EffectJoker);
        WaitPumping(1000);
        total += FadeOutTeams(step.lJokerToRemove);
        gGameSession.JokerArmed = false;
    }
    DrawMessagePanel(total > 1 ? PanelSeveralKnockedOut : PanelOneKnockedOut);
    // The numbers are frames 0 to 49 for 1 to 50; a count without a frame shows none.
    if (total >= 1 && total <= TeamCount)
        DrawKeyedPicture(EliminationNumbersSprite, total - 1, 189, 439);
    int32_t standing = CountStandingTeams();
    if (standing >= 1) DrawKeyedPicture(EliminationNumbersSprite, standing - 1, 189, 509);
    Present();
    WaitOrTouch(2000);
    return total;
}
