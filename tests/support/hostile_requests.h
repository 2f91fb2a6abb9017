// Requests that the credit service must refuse, drawn at random: over-long lines, junk bytes,
// negative, huge and malformed amounts, unknown words, embedded zero bytes, empty lines and stray
// carriage returns. Shared by the service's flood test and its flood benchmark.
#pragma once
#include <random>
#include <string>

// A request that must be refused: what it is, and whether it ends the connection.
struct Hostile {
    std::string bytes;
    bool closes;
};

inline Hostile MakeHostile(std::mt19937& random) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* verbs[] = {"CUSE", "BADD", "CADD"};
    std::string verb = verbs[pick(3)];
    switch (pick(9)) {
        case 0:  // over-long, with or without its line end
            return {std::string(65 + pick(300), static_cast<char>('A' + pick(26))) +
                        (pick(2) ? "\r\n" : ""),
                    true};
        case 1: {  // junk bytes, never a line end among them
            std::string junk;
            for (int i = 1 + pick(40); i > 0; --i) {
                char c = static_cast<char>(pick(256));
                junk.push_back(c == '\n' ? '\x7f' : c);
            }
            junk[static_cast<size_t>(pick(static_cast<int>(junk.size())))] = '\x80';
            return {junk + "\r\n", false};
        }
        case 2:
            return {verb + ",-" + std::to_string(1 + pick(100000)) + "\r\n", false};
        case 3: {
            const char* huge[] = {"100001", "2147483648", "4294967346", "99999999999999999999",
                                  "1000000"};
            return {verb + "," + huge[pick(5)] + "\r\n", false};
        }
        case 4: {
            const char* words[] = {"abc", "1e3", " 5", "5 ", "0x10", "+50", "", "5,5", "050", "0"};
            return {verb + "," + words[pick(10)] + "\r\n", false};
        }
        case 5: {
            const char* unknown[] = {"XGET",   "cget",   "DROP TABLE ledger;",
                                     "CGET,1", "TERM,5", "BGET ",
                                     "CTEL,5", "FAIL,0", "CADD"};
            return {std::string(unknown[pick(9)]) + (pick(2) ? "\r\n" : "\n"), false};
        }
        case 6:
            return {verb + std::string(1, '\0') + ",50\r\n", false};
        case 7:
            return {std::string("\r\n"), false};
        default:
            return {verb + ",5\r\r\n", false};
    }
}
