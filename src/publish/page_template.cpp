#include "publish/page_template.h"

#include "common/file_io.h"

#include <string_view>
#include <vector>

namespace publish {

common::Status parseTemplate(const std::string& bytes, PageTemplate& out) {
    common::DecodedText decoded;
    if (common::Status s = common::decodeText(bytes, decoded); !s) return s;
    out.text = common::normalizeLineBreaksToCrLf(decoded.utf8);
    out.encoding = decoded.encoding;
    return common::Status::success();
}

common::Status readTemplate(const std::string& path, PageTemplate& out) {
    std::string bytes;
    if (common::Status s = common::readFileBytes(path, bytes); !s) return s;
    if (common::Status s = parseTemplate(bytes, out); !s)
        return common::Status::failure(s.message() + " \"" + path + "\"");
    return common::Status::success();
}

namespace {

struct Placeholder {
    std::string_view tag;
    std::string value;
};

// The placeholder of `placeholders` that starts at `text[i]`, or null.
const Placeholder* placeholderAt(const std::string& text, std::size_t i,
                                 const std::vector<Placeholder>& placeholders) {
    if (text[i] != '[') return nullptr;
    for (const Placeholder& p : placeholders)
        if (text.compare(i, p.tag.size(), p.tag) == 0) return &p;
    return nullptr;
}

bool isUrlAttribute(const std::string& lowerName) {
    static const char* const kNames[] = {"src",    "href",       "poster",     "action",
                                         "data",   "formaction", "background", "cite",
                                         "srcset", "manifest",   "longdesc",   "usemap"};
    for (const char* n : kNames)
        if (lowerName == n) return true;
    return false;
}

bool isHtmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// Just enough of HTML's tokenizer to know whether a position is inside an attribute value
// and of which attribute. Comments and raw-text elements count as text: a name there is
// escaped for HTML, which is harmless.
class HtmlContext {
  public:
    enum class Where { Text, Tag, Value };

    void feed(char c) {
        switch (m_where) {
        case Where::Text:
            if (c == '<') {
                m_where = Where::Tag;
                m_name.clear();
                m_afterEquals = false;
            }
            break;
        case Where::Tag:
            if (c == '>') {
                m_where = Where::Text;
            } else if (c == '=') {
                m_afterEquals = true;
            } else if (isHtmlSpace(c)) {
                if (!m_afterEquals) m_nameDone = true;
            } else if (m_afterEquals) {
                m_where = Where::Value;
                m_quote = (c == '"' || c == '\'') ? c : '\0';
                m_afterEquals = false;
            } else {
                if (m_nameDone) {
                    m_name.clear();
                    m_nameDone = false;
                }
                m_name += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            }
            break;
        case Where::Value:
            if (m_quote ? c == m_quote : isHtmlSpace(c) || c == '>') {
                m_where = c == '>' ? Where::Text : Where::Tag;
                m_name.clear();
                m_nameDone = false;
            }
            break;
        }
    }

    // How a name standing at the current position must be written.
    std::string render(const std::string& value) {
        if (m_where == Where::Tag && m_afterEquals) {
            // A bare value starts with the name itself.
            m_where = Where::Value;
            m_quote = '\0';
            m_afterEquals = false;
            return isUrlAttribute(m_name) ? percentEncode(value) : bareValue(value);
        }
        if (m_where != Where::Value) return escapeHtml(value);
        if (isUrlAttribute(m_name)) return percentEncode(value);
        return m_quote ? escapeHtml(value) : bareValue(value);
    }

  private:
    static std::string bareValue(const std::string& value) {
        std::string out;
        for (char c : escapeHtml(value))
            out += isHtmlSpace(c) || c == '=' || c == '`' ? "&#" + std::to_string(int(c)) + ";"
                                                          : std::string(1, c);
        return out;
    }

    Where m_where = Where::Text;
    std::string m_name; // the attribute being read or whose value this is, lower case
    bool m_nameDone = false;
    bool m_afterEquals = false;
    char m_quote = '\0';
};

std::string scriptStringText(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' || c == '\'' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\r' || c == '\n') {
            out += "\\n";
            if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
        } else if (c == '<') {
            out += "\\x3C"; // no "</script>" should a template inline the script
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::string escapeHtml(const std::string& name) {
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
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

std::string percentEncode(const std::string& name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(name.size());
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '~') {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out;
}

std::string fillPageTemplate(const std::string& text, const std::string& fileName,
                             const std::string& name) {
    const std::vector<Placeholder> placeholders = {{"[FILENAME]", fileName}, {"[NAME]", name}};
    HtmlContext context;
    std::string out;
    out.reserve(text.size() + 64);
    for (std::size_t i = 0; i < text.size();) {
        if (const Placeholder* p = placeholderAt(text, i, placeholders)) {
            out += context.render(p->value);
            i += p->tag.size();
            continue;
        }
        context.feed(text[i]);
        out += text[i++];
    }
    return out;
}

std::string fillScriptTemplate(const std::string& text, const std::string& fileName,
                               const std::string& name, const std::string& data,
                               const std::string& effect) {
    const std::vector<Placeholder> placeholders = {{"[FILENAME]", scriptStringText(fileName)},
                                                   {"[NAME]", scriptStringText(name)},
                                                   {"[DATA]", data},
                                                   {"[EFFECT]", effect}};
    std::string out;
    out.reserve(text.size() + data.size() + effect.size());
    for (std::size_t i = 0; i < text.size();) {
        if (const Placeholder* p = placeholderAt(text, i, placeholders)) {
            out += p->value;
            i += p->tag.size();
            continue;
        }
        out += text[i++];
    }
    return out;
}

std::string encodeTemplateOutput(const std::string& text, common::TextEncoding encoding) {
    return common::encodeText(text, encoding);
}

} // namespace publish
