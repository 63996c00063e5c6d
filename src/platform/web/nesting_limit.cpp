#include "platform/web/nesting_limit.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <unordered_map>
#include <vector>

namespace lanseek::platform {

namespace {

// How far down the open elements an end tag or an implied end looks for its element. Keeps the guard
// linear on input that it is there to defend against.
constexpr size_t kReach = 64;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool oneOf(const std::string& name, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// Elements without content, and those the parser keeps at most once (html, head, body).
bool isUncounted(const std::string& name)
{
    return oneOf(name, {"area",   "base",  "basefont", "bgsound", "br",     "col",  "embed",   "frame",
                        "hr",     "img",   "image",    "input",   "keygen", "link", "meta",    "param",
                        "source", "track", "wbr",      "html",    "head",   "body", "frameset"});
}

// Elements whose content is text up to their own end tag.
bool isRawText(const std::string& name)
{
    return oneOf(
        name, {"script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes", "plaintext"});
}

// Start tags that close an open paragraph.
bool closesParagraph(const std::string& name)
{
    return oneOf(name,
                 {"address", "article", "aside",    "blockquote", "center", "details", "dialog",  "dir",
                  "div",     "dl",      "fieldset", "figcaption", "figure", "footer",  "form",    "h1",
                  "h2",      "h3",      "h4",       "h5",         "h6",     "header",  "hgroup",  "hr",
                  "main",    "menu",    "nav",      "ol",         "p",      "pre",     "section", "summary",
                  "ul",      "listing", "li",       "dd",         "dt"});
}

bool isHeading(const std::string& name)
{
    return name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6';
}

class OpenElements
{
public:
    size_t depth() const { return m_names.size(); }
    void push(const std::string& name)
    {
        m_names.push_back(name);
        ++m_counts[name];
    }

    // Closes the nearest open element among `targets`, with everything opened inside it, unless one of
    // `boundaries` comes first. Returns whether one was closed.
    bool closeNearest(std::initializer_list<const char*> targets,
                      std::initializer_list<const char*> boundaries)
    {
        if (!anyOpen(targets)) {
            return false;
        }
        const size_t reach = std::min(m_names.size(), kReach);
        for (size_t k = 0; k < reach; ++k) {
            const std::string& name = m_names[m_names.size() - 1 - k];
            if (oneOf(name, targets)) {
                truncate(m_names.size() - 1 - k);
                return true;
            }
            if (oneOf(name, boundaries)) {
                return false;
            }
        }
        return false;
    }

    // Closes everything opened inside the nearest of `containers`, keeping the container open.
    void closeInside(std::initializer_list<const char*> containers)
    {
        if (!anyOpen(containers)) {
            return;
        }
        const size_t reach = std::min(m_names.size(), kReach);
        for (size_t k = 0; k < reach; ++k) {
            if (oneOf(m_names[m_names.size() - 1 - k], containers)) {
                truncate(m_names.size() - k);
                return;
            }
        }
    }

    void closeNamed(const std::string& name)
    {
        if (!anyOpen({name.c_str()})) {
            return;
        }
        const size_t reach = std::min(m_names.size(), kReach);
        for (size_t k = 0; k < reach; ++k) {
            if (m_names[m_names.size() - 1 - k] == name) {
                truncate(m_names.size() - 1 - k);
                return;
            }
        }
    }

    bool topIs(std::initializer_list<const char*> names) const
    {
        return !m_names.empty() && oneOf(m_names.back(), names);
    }
    void pop() { truncate(m_names.size() - 1); }

    // The implied ends a start tag causes before its element opens.
    void beforeStart(const std::string& name)
    {
        static constexpr std::initializer_list<const char*> kScope = {
            "table", "td", "th", "button", "marquee", "object", "applet", "caption"};
        if (name == "td" || name == "th") {
            closeInside({"tr", "table"});
        } else if (name == "tr") {
            closeInside({"tbody", "thead", "tfoot", "table"});
        } else if (oneOf(name, {"tbody", "thead", "tfoot", "caption", "colgroup"})) {
            closeInside({"table"});
        } else if (name == "li") {
            closeNearest({"li"}, {"ul", "ol", "menu", "dir", "table", "td", "th"});
        } else if (name == "dd" || name == "dt") {
            closeNearest({"dd", "dt"}, {"dl", "table", "td", "th"});
        } else if (oneOf(name, {"a", "nobr", "button", "form", "select"})) {
            closeNearest({name.c_str()}, {"table", "td", "th"});
        } else if (name == "option" || name == "optgroup") {
            if (topIs({"option"})) {
                pop();
            }
        }
        if (closesParagraph(name)) {
            closeNearest({"p"}, kScope);
        }
        if (isHeading(name) && topIs({"h1", "h2", "h3", "h4", "h5", "h6"})) {
            pop();
        }
    }

private:
    // Most implied ends look for elements that are not open at all; the counts answer that without a search.
    bool anyOpen(std::initializer_list<const char*> names) const
    {
        return std::any_of(names.begin(), names.end(), [&](const char* n) {
            const auto it = m_counts.find(n);
            return it != m_counts.end() && it->second > 0;
        });
    }

    void truncate(size_t size)
    {
        while (m_names.size() > size) {
            --m_counts[m_names.back()];
            m_names.pop_back();
        }
    }

    std::vector<std::string> m_names;
    std::unordered_map<std::string, int> m_counts;
};

// The position just after the '>' that ends the tag whose name ends at `i`; quoted attribute values may
// hold '>'. An unterminated tag runs to the end of the input, as it does for the parser.
size_t tagEnd(std::string_view s, size_t i)
{
    bool afterEquals = false;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '>') {
            return i + 1;
        }
        if (afterEquals && (c == '"' || c == '\'')) {
            const size_t close = s.find(c, i + 1);
            if (close == std::string_view::npos) {
                return s.size();
            }
            i = close + 1;
            afterEquals = false;
            continue;
        }
        if (c == '=') {
            afterEquals = true;
        } else if (!isSpace(c)) {
            afterEquals = false;
        }
        ++i;
    }
    return s.size();
}

// Where the raw text of `name` that starts at `from` ends: at its own end tag, or the end of the input.
size_t rawTextEnd(std::string_view s, size_t from, const std::string& name)
{
    const std::string endTag = "</" + name;
    for (size_t k = s.find("</", from); k != std::string_view::npos; k = s.find("</", k + 2)) {
        if (lower(s.substr(k, endTag.size())) == endTag) {
            return k;
        }
    }
    return s.size();
}

} // namespace

std::string limitNesting(std::string_view html, int maxDepth)
{
    std::string out;
    OpenElements open;
    size_t i = 0;
    size_t copied = 0;
    while (i < html.size()) {
        const size_t lt = html.find('<', i);
        if (lt == std::string_view::npos || lt + 1 >= html.size()) {
            break;
        }
        i = lt + 1;
        if (html.compare(lt, 4, "<!--") == 0) {
            const size_t end = html.find("-->", lt + 4);
            i = end == std::string_view::npos ? html.size() : end + 3;
            continue;
        }
        const bool closing = html[i] == '/';
        const size_t nameStart = closing ? i + 1 : i;
        if (nameStart >= html.size() || !std::isalpha(static_cast<unsigned char>(html[nameStart]))) {
            continue;
        }
        size_t nameEnd = nameStart;
        while (nameEnd < html.size() && !isSpace(html[nameEnd]) && html[nameEnd] != '/' &&
               html[nameEnd] != '>') {
            ++nameEnd;
        }
        const std::string name = lower(html.substr(nameStart, nameEnd - nameStart));
        const size_t end = tagEnd(html, nameEnd);
        i = end;
        if (closing) {
            if (!isUncounted(name)) {
                open.closeNamed(name);
            }
            continue;
        }
        if (isRawText(name)) {
            i = rawTextEnd(html, end, name);
            continue;
        }
        if (isUncounted(name)) {
            continue;
        }
        open.beforeStart(name);
        // A link always closes the link before it, so it cannot deepen the tree without bound; it is kept
        // even at the limit, because dropping it would lose the link.
        if (static_cast<int>(open.depth()) >= maxDepth && name != "a") {
            if (out.empty()) {
                out.reserve(html.size());
            }
            out.append(html.substr(copied, lt - copied));
            copied = end;
            continue;
        }
        open.push(name);
    }
    if (copied == 0) {
        return std::string(html);
    }
    out.append(html.substr(copied));
    return out;
}

} // namespace lanseek::platform
