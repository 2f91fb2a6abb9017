// Whether a statement fits the question box: not measurable until the question font's layout is
// in the program.
#include "check.h"

FitTest QuestionBoxFitTest() {
    return nullptr;
}
