// The house style of a statement: one sentence ending in a full stop, no doubled punctuation,
// quotes and brackets that close, and British spelling.
#include <cctype>
#include <map>

#include "check.h"

namespace {
bool IsPunctuation(char c) {
    return c == '.' || c == ',' || c == ';' || c == ':' || c == '!' || c == '?';
}

// American spellings a British statement would not use, with the British form.
const std::map<std::string, std::string>& AmericanSpellings() {
    static const std::map<std::string, std::string> words = {{"color", "colour"},
                                                             {"colors", "colours"},
                                                             {"colored", "coloured"},
                                                             {"favorite", "favourite"},
                                                             {"flavor", "flavour"},
                                                             {"flavors", "flavours"},
                                                             {"honor", "honour"},
                                                             {"humor", "humour"},
                                                             {"labor", "labour"},
                                                             {"neighbor", "neighbour"},
                                                             {"neighboring", "neighbouring"},
                                                             {"harbor", "harbour"},
                                                             {"armor", "armour"},
                                                             {"behavior", "behaviour"},
                                                             {"rumor", "rumour"},
                                                             {"vapor", "vapour"},
                                                             {"odor", "odour"},
                                                             {"center", "centre"},
                                                             {"centers", "centres"},
                                                             {"theater", "theatre"},
                                                             {"kilometer", "kilometre"},
                                                             {"kilometers", "kilometres"},
                                                             {"centimeter", "centimetre"},
                                                             {"centimeters", "centimetres"},
                                                             {"millimeter", "millimetre"},
                                                             {"liter", "litre"},
                                                             {"liters", "litres"},
                                                             {"fiber", "fibre"},
                                                             {"caliber", "calibre"},
                                                             {"somber", "sombre"},
                                                             {"gray", "grey"},
                                                             {"aluminum", "aluminium"},
                                                             {"sulfur", "sulphur"},
                                                             {"defense", "defence"},
                                                             {"offense", "offence"},
                                                             {"catalog", "catalogue"},
                                                             {"dialog", "dialogue"},
                                                             {"analog", "analogue"},
                                                             {"jewelry", "jewellery"},
                                                             {"traveled", "travelled"},
                                                             {"traveling", "travelling"},
                                                             {"traveler", "traveller"},
                                                             {"modeling", "modelling"},
                                                             {"canceled", "cancelled"},
                                                             {"fueled", "fuelled"},
                                                             {"mom", "mum"},
                                                             {"airplane", "aeroplane"},
                                                             {"plow", "plough"},
                                                             {"mustache", "moustache"},
                                                             {"pajamas", "pyjamas"},
                                                             {"cozy", "cosy"},
                                                             {"skeptic", "sceptic"},
                                                             {"maneuver", "manoeuvre"},
                                                             {"esophagus", "oesophagus"},
                                                             {"estrogen", "oestrogen"},
                                                             {"fetus", "foetus"},
                                                             {"hemoglobin", "haemoglobin"},
                                                             {"anemia", "anaemia"},
                                                             {"leukemia", "leukaemia"},
                                                             {"pediatric", "paediatric"},
                                                             {"encyclopedia", "encyclopaedia"},
                                                             {"archeology", "archaeology"},
                                                             {"soccer", "football"},
                                                             {"math", "maths"}};
    return words;
}
}  // namespace

std::string StyleProblem(const std::string& text) {
    if (text.empty()) return "";
    if (text.back() != '.') return "does not end in a full stop";
    for (size_t i = 1; i < text.size(); ++i)
        if (IsPunctuation(text[i]) && IsPunctuation(text[i - 1]))
            return "doubled punctuation \"" + text.substr(i - 1, 2) + "\"";
    // Brackets nest; double quotes pair up; a single quote opens after a space or a bracket and
    // closes before a space or punctuation, and within a word it is an apostrophe.
    int brackets = 0, doubles = 0, singles = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        char before = i ? text[i - 1] : ' ', after = i + 1 < text.size() ? text[i + 1] : ' ';
        if (c == '(') ++brackets;
        if (c == ')' && --brackets < 0) return "a closing bracket that nothing opened";
        if (c == '"') ++doubles;
        if (c != '\'') continue;
        // "o'" as in "Tam o' Shanter" and "will-o'-the-wisp" is an apostrophe.
        if (i >= 1 && (before == 'o' || before == 'O') && (i < 2 || text[i - 2] == ' ')) continue;
        bool opens = (before == ' ' || before == '(' || before == '"') && after != ' ';
        bool closes =
            before != ' ' && (after == ' ' || IsPunctuation(after) || after == ')' || after == '"');
        if (opens) {
            ++singles;
        } else if (closes && singles > 0) {
            --singles;
        } else if (closes && before != 's' && !(before == 'n' && i >= 2 && text[i - 2] == 'i')) {
            // Only a plural possessive ("players'") or a dropped g ("singin'") ends so.
            return "a closing quote that nothing opened";
        }
    }
    if (brackets) return "an unclosed bracket";
    if (doubles % 2) return "an unclosed double quote";
    if (singles) return "an unclosed quote";
    // Whole words only: "liter" is American, "glitter" is not. A capital inside the sentence
    // starts a name ("Dorian Gray"), which keeps its own spelling.
    std::string word;
    bool name = false;
    for (size_t i = 0; i <= text.size(); ++i) {
        char c = i < text.size() ? text[i] : ' ';
        if (std::isalpha(static_cast<unsigned char>(c))) {
            if (word.empty()) name = i > 0 && std::isupper(static_cast<unsigned char>(c));
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            continue;
        }
        auto found = name ? AmericanSpellings().end() : AmericanSpellings().find(word);
        if (found != AmericanSpellings().end())
            return "American spelling \"" + word + "\": British is " + found->second;
        word.clear();
    }
    return "";
}
