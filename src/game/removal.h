// Knocking out rival teams after a right answer: the count from the game's removal row, the
// joker's extra teams and how later steps pay them back, and the fading of each team.
#pragma once
#include <cstdint>

struct RemovalStep {
    int32_t lToRemove;       // ordinary removals of this step
    int32_t lJokerToRemove;  // the joker's extra removals
};

// Works out the counts of the step in hand (TotalTasksCompleted in the game's row), lowers the
// row's later entries to pay back a joker played on this question, and limits the ordinary
// count to the ordinary teams standing.
RemovalStep PlanRemoval();
// Marks a random standing ordinary team as knocked out and returns its number; -1 when no
// ordinary team stands (then nothing changes).
int32_t KnockOutTeam();

// The whole removal step with its panels, fades, sounds and numbers. Returns the teams that
// went (ordinary and the joker's).
int32_t RemoveTeams();
// Knocks out one team and fades its picture from standing to knocked out; false when no
// ordinary team was left to knock out.
bool FadeOutTeam();
// The grid of rival teams over the game background.
void DrawTeams();
// The team pictures alone, for a screen that has just drawn the whole background.
void DrawTeamPictures();
