// The choice of a question: its answer, its grade and its level.
#include "core/random.h"
#include "game/packs.h"
#include "game/session.h"
#include "records/audit.h"

const int32_t GradeTable[14][5] = {
    {1, 1, 1, 1, 1}, {1, 1, 1, 1, 1}, {1, 1, 1, 1, 1}, {1, 1, 1, 1, 1}, {2, 1, 1, 1, 1},
    {3, 2, 1, 1, 1}, {3, 2, 1, 1, 1}, {3, 3, 1, 1, 1}, {3, 3, 2, 1, 1}, {3, 3, 2, 2, 1},
    {3, 3, 3, 2, 1}, {3, 3, 3, 2, 2}, {3, 3, 3, 3, 2}, {3, 3, 3, 3, 2},
};

int32_t ChooseQuestionFor(bool final, int32_t grade, int32_t totalTasksCompleted,
                          int32_t planGrade) {
    gPackReader.correctAnswer = RandomBelow(2) != 0 ? 1 : 0;
    int32_t k = planGrade;
    if (k >= 1 && k <= 3 && ChancePercent(20)) k = k - 1;
    int32_t g;
    if (final) {
        g = grade;
    } else {
        // Progress and column outside the table are held to its edges rather than read past it.
        int32_t row =
            totalTasksCompleted < 0 ? 0 : (totalTasksCompleted > 13 ? 13 : totalTasksCompleted);
        int32_t col = k < 0 ? 0 : (k > 4 ? 4 : k);
        g = GradeTable[row][col];
    }
    int32_t level;
    if (g == 1)
        level = 1 + static_cast<int32_t>(RandomBelow(4));
    else if (g == 2)
        level = 5 + static_cast<int32_t>(RandomBelow(10));
    else
        level = 15 + static_cast<int32_t>(RandomBelow(10));
    LoadQuestion(level, gPackReader.correctAnswer);
    return g;
}

int32_t ChooseQuestion(bool final, int32_t grade) {
    return ChooseQuestionFor(final, grade, gGameSession.TotalTasksCompleted, gWinPlan.grade[0]);
}
