// Reads the DIALOGEX templates of the loaded resource script, in the one shape our
// script keeps to: a header line, the option statements (STYLE, EXSTYLE, CAPTION, FONT,
// LANGUAGE), then BEGIN, one CONTROL statement per line, END. Names resolve through the
// script's own #defines first, then the platform's constants, as the resource compiler
// sees them through <windows.h>. What the compiler adds by itself is added here too:
// every CONTROL starts from WS_CHILD | WS_VISIBLE, a FONT brings DS_SETFONT.
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "resource_script.h"
#include "sim/dialogs.h"

namespace sim {

namespace {

#define NAMED(x) {#x, static_cast<long>(x)}
const std::map<std::string, long> PLATFORM_NAMES = {
    NAMED(WS_POPUP), NAMED(WS_CHILD), NAMED(WS_VISIBLE), NAMED(WS_DISABLED), NAMED(WS_CAPTION),
    NAMED(WS_BORDER), NAMED(WS_DLGFRAME), NAMED(WS_SYSMENU), NAMED(WS_THICKFRAME), NAMED(WS_GROUP),
    NAMED(WS_TABSTOP), NAMED(DS_SYSMODAL), NAMED(DS_SETFONT), NAMED(DS_MODALFRAME), NAMED(DS_SETFOREGROUND),
    NAMED(DS_CONTROL), NAMED(DS_CENTER), NAMED(BS_PUSHBUTTON), NAMED(BS_DEFPUSHBUTTON), NAMED(BS_CHECKBOX),
    NAMED(BS_AUTOCHECKBOX), NAMED(BS_RADIOBUTTON), NAMED(BS_3STATE), NAMED(BS_AUTO3STATE), NAMED(BS_GROUPBOX),
    NAMED(BS_AUTORADIOBUTTON), NAMED(BS_LEFTTEXT), NAMED(BS_LEFT), NAMED(BS_RIGHT), NAMED(BS_CENTER),
    NAMED(BS_TOP), NAMED(BS_BOTTOM), NAMED(BS_VCENTER), NAMED(BS_PUSHLIKE), NAMED(BS_MULTILINE),
    NAMED(BS_NOTIFY), NAMED(BS_FLAT), NAMED(SS_LEFT), NAMED(SS_CENTER), NAMED(SS_RIGHT), NAMED(SS_ICON),
    NAMED(SS_NOTIFY), NAMED(WS_EX_DLGMODALFRAME), NAMED(WS_EX_TOPMOST), NAMED(WS_EX_TRANSPARENT),
    NAMED(WS_EX_CLIENTEDGE), NAMED(WS_EX_STATICEDGE), NAMED(LANG_NEUTRAL), NAMED(LANG_ENGLISH),
    NAMED(SUBLANG_NEUTRAL), NAMED(SUBLANG_DEFAULT), NAMED(SUBLANG_ENGLISH_US), NAMED(DEFAULT_CHARSET),
    NAMED(IDOK), NAMED(IDCANCEL), NAMED(IDABORT), NAMED(IDRETRY), NAMED(IDIGNORE), NAMED(IDYES), NAMED(IDNO),
};
#undef NAMED

struct Reader {
    std::vector<DialogTemplate> templates;
    std::vector<std::string> problems;
    const resources::ScriptLine* at = nullptr;

    void problem(const std::string& what) {
        std::string where = at ? at->file + ":" + std::to_string(at->number) + ": " : "";
        problems.push_back(where + what);
    }

    static std::string trim(const std::string& text) {
        size_t b = text.find_first_not_of(" \t");
        if (b == std::string::npos) return "";
        return text.substr(b, text.find_last_not_of(" \t") - b + 1);
    }

    static std::string upper(std::string text) {
        for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    }

    // The first word and the rest of a statement.
    static void split(const std::string& text, std::string* keyword, std::string* rest) {
        size_t cut = text.find_first_of(" \t");
        *keyword = text.substr(0, cut);
        *rest = cut == std::string::npos ? "" : trim(text.substr(cut));
    }

    // Fields between commas; a comma inside a string does not count.
    static std::vector<std::string> fields(const std::string& text) {
        std::vector<std::string> out(1);
        bool inString = false;
        for (char c : text) {
            if (c == '"') inString = !inString;  // a doubled quote toggles twice
            if (c == ',' && !inString) {
                out.push_back("");
            } else {
                out.back() += c;
            }
        }
        for (std::string& f : out) f = trim(f);
        return out;
    }

    static bool isString(const std::string& field) {
        return field.size() >= 2 && field.front() == '"' && field.back() == '"';
    }

    // A string literal's text: "" stands for one quote; \n, \t and \\ as in C.
    static std::string literal(const std::string& field) {
        std::string out;
        for (size_t i = 1; i + 1 < field.size(); ++i) {
            char c = field[i];
            if (c == '"' && field[i + 1] == '"') {
                out += '"';
                ++i;
            } else if (c == '\\' && i + 2 < field.size()) {
                char n = field[++i];
                out += n == 'n' ? '\n' : n == 't' ? '\t' : n;
            } else {
                out += c;
            }
        }
        return out;
    }

    bool number(const std::string& token, long* value) {
        std::string t = trim(token);
        if (resources::resolveNumber(t, value)) return true;
        auto known = PLATFORM_NAMES.find(t);
        if (known == PLATFORM_NAMES.end()) return false;
        *value = known->second;
        return true;
    }

    long numberOrProblem(const std::string& token, const char* what) {
        long value = 0;
        if (!number(token, &value)) problem(std::string(what) + ": cannot read \"" + token + "\"");
        return value;
    }

    // Terms joined by '|' onto `style`; "NOT X" takes X's bits away, so that a control can
// shed the WS_CHILD | WS_VISIBLE the compiler starts it with.
    DWORD styleExpression(const std::string& text, DWORD style = 0) {
        size_t start = 0;
        for (;;) {
            size_t bar = text.find('|', start);
            std::string term = trim(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
            std::string keyword, rest;
            split(term, &keyword, &rest);
            if (upper(keyword) == "NOT" && !rest.empty()) {
                style &= ~static_cast<DWORD>(numberOrProblem(rest, "style"));
            } else {
                style |= static_cast<DWORD>(numberOrProblem(term, "style"));
            }
            if (bar == std::string::npos) return style;
            start = bar + 1;
        }
    }

    // The header's rest: x, y, width, height [, help identifier].
    void header(DialogTemplate& t, const std::string& rest) {
        std::vector<std::string> f = fields(rest);
        if (f.size() < 4 || f.size() > 5) {
            problem("DIALOGEX wants x, y, width, height [, help id]");
            f.resize(5, "0");
        }
        t.x = static_cast<int>(numberOrProblem(f[0], "x"));
        t.y = static_cast<int>(numberOrProblem(f[1], "y"));
        t.width = static_cast<int>(numberOrProblem(f[2], "width"));
        t.height = static_cast<int>(numberOrProblem(f[3], "height"));
        t.helpId = f.size() > 4 ? static_cast<DWORD>(numberOrProblem(f[4], "help id")) : 0;
    }

    // Before BEGIN; false for a statement this reader does not take.
    bool option(DialogTemplate& t, const std::string& keyword, const std::string& rest, bool* hasStyle) {
        if (keyword == "STYLE") {
            t.style = styleExpression(rest);
            *hasStyle = true;
        } else if (keyword == "EXSTYLE") {
            t.exStyle = styleExpression(rest);
        } else if (keyword == "CAPTION") {
            if (!isString(rest)) problem("CAPTION wants a string");
            t.caption = literal(rest);
        } else if (keyword == "FONT") {
            std::vector<std::string> f = fields(rest);
            if (f.size() < 2 || !isString(f[1])) {
                problem("FONT wants a size and a typeface");
                return true;
            }
            t.pointSize = static_cast<int>(numberOrProblem(f[0], "font size"));
            t.typeface = literal(f[1]);
            t.weight = f.size() > 2 ? static_cast<int>(numberOrProblem(f[2], "font weight")) : 0;
            t.italic = f.size() > 3 && numberOrProblem(f[3], "italic") != 0;
            t.charset = f.size() > 4 ? static_cast<int>(numberOrProblem(f[4], "charset")) : DEFAULT_CHARSET;
        } else if (keyword == "LANGUAGE") {
            t.language = language(rest);
        } else {
            return false;
        }
        return true;
    }

    WORD language(const std::string& rest) {
        std::vector<std::string> f = fields(rest);
        if (f.size() != 2) {
            problem("LANGUAGE wants a language and a sublanguage");
            return 0;
        }
        return static_cast<WORD>(MAKELANGID(numberOrProblem(f[0], "language"), numberOrProblem(f[1], "sublanguage")));
    }

    // CONTROL text, id, class, style, x, y, width, height [, exstyle [, help id]]
    void control(DialogTemplate& t, const std::string& rest) {
        std::vector<std::string> f = fields(rest);
        if (f.size() < 8 || f.size() > 10) {
            problem("CONTROL wants text, id, class, style, x, y, width, height [, exstyle [, help id]]");
            return;
        }
        DialogControlTemplate c{};
        c.line = at->number;
        if (isString(f[0])) {
            c.text = literal(f[0]);
        } else {
            c.textResource = static_cast<int>(numberOrProblem(f[0], "control text"));
        }
        c.id = static_cast<int>(numberOrProblem(f[1], "control id"));
        if (!isString(f[2])) problem("control class wants a string");
        c.windowClass = literal(f[2]);
        c.style = styleExpression(f[3], WS_CHILD | WS_VISIBLE);
        c.x = static_cast<int>(numberOrProblem(f[4], "x"));
        c.y = static_cast<int>(numberOrProblem(f[5], "y"));
        c.width = static_cast<int>(numberOrProblem(f[6], "width"));
        c.height = static_cast<int>(numberOrProblem(f[7], "height"));
        c.exStyle = f.size() > 8 ? styleExpression(f[8]) : 0;
        c.helpId = f.size() > 9 ? static_cast<DWORD>(numberOrProblem(f[9], "help id")) : 0;
        t.controls.push_back(c);
    }

    void read(const resources::Script& script) {
        enum { Outside, Options, Controls } state = Outside;
        WORD language = 0;
        bool hasStyle = false;
        DialogTemplate* t = nullptr;
        for (const resources::ScriptLine& line : script.lines) {
            at = &line;
            std::string keyword, rest;
            split(line.text, &keyword, &rest);
            std::string word = upper(keyword);
            if (state == Outside) {
                if (word == "LANGUAGE") {
                    language = this->language(rest);
                    continue;
                }
                std::string second, after;
                split(rest, &second, &after);
                if (upper(second) == "DIALOG") problem("only DIALOGEX templates are read");
                if (upper(second) != "DIALOGEX") continue;
                long resource = 0;
                if (!number(keyword, &resource)) {
                    problem("a dialog is named by number here: \"" + keyword + "\"");
                    continue;
                }
                templates.push_back(DialogTemplate{});
                t = &templates.back();
                t->resource = static_cast<int>(resource);
                t->language = language;
                header(*t, after);
                hasStyle = false;
                state = Options;
            } else if (state == Options) {
                if (word == "BEGIN" || word == "{") {
                    // The compiler's default frame for a template without a STYLE.
                    if (!hasStyle) t->style = WS_POPUP | WS_BORDER | WS_SYSMENU;
                    if (t->pointSize != 0) t->style |= DS_SETFONT;
                    state = Controls;
                } else if (!option(*t, word, rest, &hasStyle)) {
                    problem("not read in a dialog's options: " + keyword);
                }
            } else if (word == "END" || word == "}") {
                state = Outside;
            } else if (word == "CONTROL") {
                control(*t, rest);
            } else {
                problem("one CONTROL statement per line is read, not " + keyword);
            }
        }
        at = nullptr;
        if (state != Outside) problem("a dialog template has no END");
    }
};

Reader readScript() {
    Reader reader;
    const resources::Script& script = resources::current();
    if (!script.loaded) {
        reader.problem("no resource script loaded (sim::loadResourceScript)");
    } else {
        reader.read(script);
    }
    return reader;
}

std::vector<DialogTemplate> lastRead;

}  // namespace

const DialogTemplate* dialogTemplate(int resource) {
    lastRead = readScript().templates;
    for (const DialogTemplate& t : lastRead) {
        if (t.resource == resource) return &t;
    }
    return nullptr;
}

std::vector<std::string> dialogScriptProblems() { return readScript().problems; }

}  // namespace sim
