// What each audit counter counts, in the operator's words.
#pragma once
#include <string>

std::string AuditCounterMeaning(int id);
