#include "html.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr const char* Style = R"(
*{box-sizing:border-box}
body{margin:0;font:15px/1.4 system-ui,"DejaVu Sans",sans-serif;color:#1d2329;background:#f3f1ea}
header{background:#243b53;color:#fff;padding:.5em 1em;display:flex;flex-wrap:wrap;align-items:center;gap:.3em 1em}
header b{font-size:1.1em;margin-right:.5em}
nav{display:flex;flex-wrap:wrap;gap:.2em}
nav a{color:#d9e2ec;text-decoration:none;padding:.3em .6em;border-radius:4px}
nav a.on{background:#f3f1ea;color:#243b53;font-weight:600}
header form{margin-left:auto}
main{padding:1em;max-width:1100px}
h1{font-size:1.35em;margin:.2em 0 .6em}
h2{font-size:1.1em;margin:1.2em 0 .4em}
.cards{display:grid;grid-template-columns:repeat(auto-fill,minmax(170px,1fr));gap:.6em}
.card{background:#fff;border:1px solid #d8d3c4;border-radius:6px;padding:.6em .8em}
.card span{display:block;color:#5a6470;font-size:.85em}
.card strong{font-size:1.3em}
table{border-collapse:collapse;background:#fff;width:100%;font-size:.92em}
th,td{border-bottom:1px solid #e4dfd2;padding:.3em .5em;text-align:left;vertical-align:top}
th{background:#e9e4d6}
td.n,th.n{text-align:right;font-variant-numeric:tabular-nums}
.scroll{overflow-x:auto}
form.inline{display:inline}
form.filter{display:flex;flex-wrap:wrap;gap:.5em;align-items:end;margin:.5em 0}
label{display:flex;flex-direction:column;font-size:.85em;color:#5a6470}
input,select,button{font:inherit;padding:.3em .5em}
button{background:#243b53;color:#fff;border:0;border-radius:4px;cursor:pointer}
button.danger{background:#9b2c2c}
header button{background:#486581}
.note{color:#5a6470;font-size:.88em}
.warn{background:#fff3c4;border:1px solid #e6c84f;padding:.5em .8em;border-radius:4px}
.bad{background:#fde2e2;border:1px solid #d66;padding:.5em .8em;border-radius:4px}
.good{background:#e3f6e8;border:1px solid #5b9;padding:.5em .8em;border-radius:4px}
svg{background:#fff;border:1px solid #d8d3c4;border-radius:6px;width:100%;height:auto}
.login{max-width:340px;margin:12vh auto;background:#fff;padding:1.2em;border-radius:8px;border:1px solid #d8d3c4}
.login input{width:100%;margin:.3em 0 .8em}
.paging{margin:.6em 0;display:flex;gap:1em}
@media (max-width:600px){.opt{display:none}main{padding:.6em}td,th{padding:.25em .3em}}
)";

const char* const TabNames[] = {"Overview", "Meters", "Money", "Games", "Events", "Actions"};
const char* const TabPaths[] = {"/", "/meters", "/money", "/games", "/events", "/actions"};

std::string Head(const std::string& title) {
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
           "<title>" +
           Escape(title) + " \xE2\x80\x93 Brindlemark console</title><style>" + Style +
           "</style></head>";
}
}  // namespace

std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

namespace {
// Pounds and pence, with the sign given for a negative amount before them.
std::string Pounds(int64_t pence, const char* minus, const char* currency) {
    char text[48];
    int64_t a = pence < 0 ? -pence : pence;
    std::snprintf(text, sizeof text, "%s%s%lld.%02lld", pence < 0 ? minus : "", currency,
                  static_cast<long long>(a / 100), static_cast<long long>(a % 100));
    return text;
}
}  // namespace

std::string Money(int64_t pence) {
    return Pounds(pence, "\xE2\x88\x92", "\xC2\xA3");
}

std::string PlainMoney(int64_t pence) {
    return Pounds(pence, "-", "");
}

std::string CsvField(const std::string& text) {
    bool quote = text.find_first_of(",\"\r\n") != std::string::npos;
    // A leading sign would be taken as a formula by a spreadsheet.
    bool formula = !text.empty() && std::string("=+-@").find(text[0]) != std::string::npos &&
                   text.find_first_not_of("-0123456789.") != std::string::npos;
    if (!quote && !formula) return text;
    std::string out = "\"";
    if (formula) out += '\'';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string CsrfField(const std::string& csrf) {
    return "<input type=\"hidden\" name=\"csrf\" value=\"" + Escape(csrf) + "\">";
}

std::string Page(const std::string& title, Tab current, const std::string& csrf,
                 const std::string& body) {
    std::string html = Head(title) + "<body><header><b>Brindlemark</b><nav>";
    if (current >= Tab::FleetCabinets) {
        html += std::string("<a href=\"/\"") +
                (current == Tab::FleetCabinets ? " class=\"on\"" : "") +
                ">Cabinets</a><a href=\"/report\"" +
                (current == Tab::FleetReport ? " class=\"on\"" : "") + ">Period report</a>";
    } else {
        for (int i = 0; i < 6; ++i)
            html += std::string("<a href=\"") + TabPaths[i] + "\"" +
                    (static_cast<int>(current) == i ? " class=\"on\"" : "") + ">" + TabNames[i] +
                    "</a>";
    }
    html += "</nav><form method=\"post\" action=\"/logout\">" + CsrfField(csrf) +
            "<button>Sign out</button></form></header><main><h1>" + Escape(title) + "</h1>" + body +
            "</main></body></html>\n";
    return html;
}

std::string LoginPage(const std::string& csrf, const std::string& message) {
    return Head("Sign in") +
           "<body><form class=\"login\" method=\"post\" action=\"/login\"><h1>Brindlemark "
           "console</h1>" +
           (message.empty() ? "" : "<p class=\"bad\">" + Escape(message) + "</p>") +
           "<label>Operator password<input type=\"password\" name=\"password\" "
           "autocomplete=\"current-password\" required autofocus></label>" +
           CsrfField(csrf) + "<button>Sign in</button></form></body></html>\n";
}

std::string BalancePlot(const std::vector<double>& balances,
                        const std::vector<double>& thresholds) {
    const double width = 800, height = 300, left = 60, right = 10, top = 12, bottom = 30;
    double low = -1200, high = 1200;
    for (double b : balances) low = std::min(low, b), high = std::max(high, b);
    double span = high - low;
    low -= span * 0.05, high += span * 0.05;
    auto y = [&](double v) { return top + (high - v) / (high - low) * (height - top - bottom); };
    size_t n = balances.size();
    auto x = [&](size_t i) {
        return left + (n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0.5) *
                          (width - left - right);
    };
    char text[256];
    std::string svg =
        "<svg viewBox=\"0 0 800 300\" role=\"img\" aria-label=\"Payout balance over"
        " the last " +
        std::to_string(n) + " games\">";
    for (size_t i = 0; i < thresholds.size(); ++i) {
        std::snprintf(text, sizeof text,
                      "<line x1=\"%.0f\" x2=\"%.0f\" y1=\"%.1f\" y2=\"%.1f\" stroke=\"#c9a227\" "
                      "stroke-dasharray=\"5 4\"/><text x=\"%.0f\" y=\"%.1f\" font-size=\"11\" "
                      "text-anchor=\"end\" fill=\"#7a6310\">%.0f</text>",
                      left, width - right, y(thresholds[i]), y(thresholds[i]), left - 4,
                      y(thresholds[i]) + 4, thresholds[i]);
        svg += text;
    }
    std::snprintf(text, sizeof text,
                  "<line x1=\"%.0f\" x2=\"%.0f\" y1=\"%.1f\" y2=\"%.1f\" stroke=\"#9aa5b1\"/>",
                  left, width - right, height - bottom, height - bottom);
    svg += text;
    if (n > 0) {
        svg += "<polyline fill=\"none\" stroke=\"#243b53\" stroke-width=\"1.5\" points=\"";
        for (size_t i = 0; i < n; ++i) {
            std::snprintf(text, sizeof text, "%.1f,%.1f ", x(i), y(balances[i]));
            svg += text;
        }
        svg += "\"/>";
    }
    std::snprintf(text, sizeof text,
                  "<text x=\"%.0f\" y=\"%.0f\" font-size=\"11\" fill=\"#5a6470\">oldest</text>"
                  "<text x=\"%.0f\" y=\"%.0f\" font-size=\"11\" text-anchor=\"end\" "
                  "fill=\"#5a6470\">latest game</text>",
                  left, height - 10, width - right, height - 10);
    svg += text;
    return svg + "</svg>";
}
