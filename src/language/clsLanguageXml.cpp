// Language file reading (libxml2) and writing (a direct writer, so the layout is exact).
#include "language/clsLanguage.h"

#include "events/AtomicFile.h"
#include "events/FileIO.h"
#include "events/RuntimeError.h"
#include "language/LanguageFileLimits.h"
#include "language/TextCompare.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>

namespace tvk {
namespace {

// ---------------------------------------------------------------------------------------------------
// Writing

// Characters XML 1.0 cannot carry even as references, and bytes that are not UTF-8, would make a file
// that no longer loads; such text is refused before anything is written.
void requireWritable(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            throw RuntimeError(err::InvalidCall, "A language text holds a control character that XML cannot store");
        }
        std::size_t len = c < 0x80 ? 1 : c < 0xC2 ? 0 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF5 ? 4 : 0;
        bool ok = len != 0 && i + len <= text.size();
        for (std::size_t k = 1; ok && k < len; ++k)
            ok = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (ok && len == 3) {
            const auto c1 = static_cast<unsigned char>(text[i + 1]);
            const unsigned cp =
                ((c & 0x0Fu) << 12) | ((c1 & 0x3Fu) << 6) | (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
            ok = cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF) && cp != 0xFFFE && cp != 0xFFFF;
        } else if (ok && len == 4) {
            const auto c1 = static_cast<unsigned char>(text[i + 1]);
            ok = !(c == 0xF0 && c1 < 0x90) && !(c == 0xF4 && c1 >= 0x90);
        }
        if (!ok) throw RuntimeError(err::InvalidCall, "A language text is not valid UTF-8");
        i += len;
    }
}

void appendEscaped(std::string& out, std::string_view text, bool attribute) {
    requireWritable(text);
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
        // A raw CR would become LF when read back; in attributes every line break and tab would become a blank.
        case '\r':
            out += "&#13;";
            break;
        case '"':
            out += attribute ? "&quot;" : "\"";
            break;
        case '\n':
            out += attribute ? "&#10;" : "\n";
            break;
        case '\t':
            out += attribute ? "&#9;" : "\t";
            break;
        default:
            out += c;
        }
    }
}

void appendAttribute(std::string& out, std::string_view name, std::string_view value) {
    out += ' ';
    out += name;
    out += "=\"";
    appendEscaped(out, value, true);
    out += '"';
}

// An element whose only content is `text`; written empty ("<x/>") when there is none.
void appendTextElementEnd(std::string& out, std::string_view tag, std::string_view text) {
    if (text.empty()) {
        out += "/>";
        return;
    }
    out += '>';
    appendEscaped(out, text, false);
    out += "</";
    out += tag;
    out += '>';
}

} // namespace

void clsLanguage::SaveXML(const std::string& sFile) const {
    const std::string out = xmlText();
    // The old file stays whole until the new one is completely written.
    AtomicFile file(sFile);
    file.write(out);
    file.commit();
}

std::string clsLanguage::xmlText() const {
    std::string out = "<language";
    appendAttribute(out, "version", LanguageVersion);
    appendAttribute(out, "name", LanguageName);
    out += '>';
    for (const auto& db : m_databases) {
        out += "\r\n   <database";
        appendAttribute(out, "name", db.Name);
        appendAttribute(out, "process", db.Process ? "true" : "false");
        out += '>';
        for (const auto& e : db.Entries) {
            out += "\r\n      <entry";
            appendAttribute(out, "name", e.Name);
            appendAttribute(out, "type", e.Type);
            if (!e.Value.isArray()) {
                appendAttribute(out, "array", "false");
                appendTextElementEnd(out, "entry", e.Value.text());
                continue;
            }
            appendAttribute(out, "array", "true");
            out += ">\r\n         <bound";
            appendAttribute(out, "min", std::to_string(e.Value.lowerBound()));
            appendAttribute(out, "max", std::to_string(e.Value.upperBound()));
            out += "/>";
            std::int64_t index = e.Value.lowerBound();
            for (const auto& item : e.Value.items()) {
                out += "\r\n         <item";
                appendAttribute(out, "id", std::to_string(index++));
                appendTextElementEnd(out, "item", item);
            }
            out += "\r\n      </entry>";
        }
        out += "\r\n   </database>";
    }
    out += "\r\n</language>\r\n";
    return out;
}

namespace {

// ---------------------------------------------------------------------------------------------------
// Reading

// Text gathered from a document (entity references included) is capped, so that a small file of nested
// entity references cannot make gigabytes of text.
constexpr std::size_t TextBudget = 32u << 20;
constexpr int EntityDepthLimit = 40;
// An array may hold more empty places than items, but not many more: a bound's span beyond twice the
// number of its item elements plus this slack raises the subscript error instead of allocating.
constexpr std::int64_t ArraySlack = 16;

struct XmlDocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
struct XmlCtxtFree {
    void operator()(xmlParserCtxt* c) const { xmlFreeParserCtxt(c); }
};

std::string_view str(const xmlChar* s) {
    return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
}

// The node name as the document spells it, namespace prefix included.
std::string qualifiedName(const xmlNode* node) {
    std::string name;
    if (node->ns && node->ns->prefix) {
        name = str(node->ns->prefix);
        name += ':';
    }
    name += str(node->name);
    return name;
}

class TextCollector {
public:
    // The text content of `node` and its descendants, entity references expanded.
    std::string textOf(const xmlNode* first, bool siblings) {
        std::string out;
        collect(first, siblings, out, 0);
        return out;
    }

private:
    void collect(const xmlNode* node, bool siblings, std::string& out, int depth) {
        for (; node; node = siblings ? node->next : nullptr) {
            switch (node->type) {
            case XML_TEXT_NODE:
            case XML_CDATA_SECTION_NODE:
                add(out, str(node->content));
                break;
            case XML_ELEMENT_NODE:
                collect(node->children, true, out, depth);
                break;
            case XML_ENTITY_REF_NODE: {
                if (depth >= EntityDepthLimit) throw RuntimeError(err::OutOfStackSpace);
                const auto* entity = reinterpret_cast<const xmlEntity*>(node->children);
                if (entity && entity->type == XML_ENTITY_DECL) collect(entity->children, true, out, depth + 1);
                break;
            }
            default:
                break;
            }
        }
    }

    void add(std::string& out, std::string_view text) {
        if (text.size() > TextBudget - m_used) throw RuntimeError(err::OutOfMemory);
        m_used += text.size();
        out += text;
    }

    std::size_t m_used = 0;
};

bool isBlank(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Whether `node`, a child of an element whose children are elements, may stand there: elements do,
// and text that is only white space is ignored; anything else breaks the format.
bool isElementChild(const xmlNode* node) {
    if (node->type == XML_ELEMENT_NODE) return true;
    if ((node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) && isBlank(str(node->content))) {
        return false;
    }
    throw RuntimeError(err::TypeMismatch, "Unexpected content in the language file");
}

// The first element named exactly `name` below `root` in document order (the root included when `self`).
const xmlNode* findElement(const xmlNode* root, std::string_view name, bool self) {
    const xmlNode* node = self ? root : root->children;
    while (node) {
        if (node->type == XML_ELEMENT_NODE && qualifiedName(node) == name) return node;
        if (node->type == XML_ELEMENT_NODE && node->children) {
            node = node->children;
            continue;
        }
        while (node && node != root && !node->next)
            node = node->parent;
        if (!node || node == root) return nullptr;
        node = node->next;
    }
    return nullptr;
}

class Reader {
public:
    explicit Reader(TextCollector& text) : m_text(text) {}

    // An attribute's value, or nothing when the element lacks it.
    std::optional<std::string> findAttribute(const xmlNode* element, std::string_view name) {
        for (const xmlAttr* a = element->properties; a; a = a->next) {
            std::string qn = a->ns && a->ns->prefix ? std::string(str(a->ns->prefix)) + ":" : std::string();
            qn += str(a->name);
            if (qn == name) return m_text.textOf(a->children, true);
        }
        return std::nullopt;
    }

    // An attribute's value; 94 (invalid use of Null) when the element lacks it.
    std::string attribute(const xmlNode* element, std::string_view name) {
        if (auto value = findAttribute(element, name)) return std::move(*value);
        throw RuntimeError(err::InvalidUseOfNull, "The language file lacks the attribute " + std::string(name));
    }

    std::int32_t integerAttribute(const xmlNode* element, std::string_view name) {
        const auto number = textAsNumber(attribute(element, name));
        if (!number) throw RuntimeError(err::TypeMismatch);
        const double value = std::nearbyint(*number);
        if (!(value >= -2147483648.0 && value <= 2147483647.0)) throw RuntimeError(err::Overflow);
        return static_cast<std::int32_t>(value);
    }

    bool truthAttribute(const xmlNode* element, std::string_view name) {
        const auto text = attribute(element, name);
        if (equalsIgnoreCase(text, "true")) return true;
        if (equalsIgnoreCase(text, "false")) return false;
        const auto number = textAsNumber(text);
        if (!number) throw RuntimeError(err::TypeMismatch);
        return *number != 0;
    }

    std::string text(const xmlNode* element) { return m_text.textOf(element->children, true); }

private:
    TextCollector& m_text;
};

LanguageValue readArray(Reader& reader, const xmlNode* entry) {
    const xmlNode* bound = findElement(entry, "bound", false);
    if (!bound) throw RuntimeError(err::ObjectNotSet, "An array entry has no bound");
    const std::int32_t max = reader.integerAttribute(bound, "max");
    const std::int32_t min = reader.integerAttribute(bound, "min");
    if (min > max) throw RuntimeError(err::SubscriptOutOfRange);

    std::int64_t itemElements = 0;
    for (const xmlNode* c = entry->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE && equalsIgnoreCase(qualifiedName(c), "item")) ++itemElements;
    }
    const std::int64_t span = std::int64_t(max) - min + 1;
    if (span > 2 * itemElements + ArraySlack) {
        throw RuntimeError(err::SubscriptOutOfRange, "An array bound is wider than its items can fill");
    }

    auto value = LanguageValue::array(min, std::vector<std::string>(static_cast<std::size_t>(span)));
    for (const xmlNode* c = entry->children; c; c = c->next) {
        if (!isElementChild(c) || !equalsIgnoreCase(qualifiedName(c), "item")) continue;
        const std::int32_t id = reader.integerAttribute(c, "id");
        value.setItem(id, reader.text(c)); // 9 outside min to max
    }
    return value;
}

std::string trimmedMessage(const char* message) {
    std::string text = message ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

// Keeps the first error the parser reports; nothing reaches standard error.
void keepFirstError(void* userData, xmlError* error) {
    auto* first = static_cast<xmlError*>(userData);
    if (error && error->level >= XML_ERR_ERROR && first->code == 0) {
        xmlResetError(first);
        xmlCopyError(error, first);
    }
}

} // namespace

void clsLanguage::LoadXML(const std::string& sFile) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::path(sFile), ec)) return;
    ClearDatabases();
    std::string bytes;
    try {
        bytes = FileIO::readWholeFile(sFile, LanguageFileLimits::kMaxFileBytes + 1);
    } catch (const RuntimeError& e) {
        reportParseError(XML_IO_LOAD_ERROR, e.description(), 0, 0);
        return;
    }
    loadDocument(std::move(bytes), sFile);
}

void clsLanguage::loadXmlText(std::string xml, const std::string& sourceName) {
    ClearDatabases();
    loadDocument(std::move(xml), sourceName);
}

void clsLanguage::reportParseError(int code, const std::string& reason, int line, int column) const {
    if (m_onParseError) {
        m_onParseError("Parse error " + std::to_string(code) + ": " + reason + "\r\nLine " + std::to_string(line) +
                       ", position " + std::to_string(column));
    }
}

void clsLanguage::loadDocument(std::string bytes, const std::string& sourceName) {
    // A file beyond the limits is refused before the parser, whose cost could grow with their square.
    if (const auto violation = LanguageFileLimits::check(bytes)) {
        reportParseError(XML_ERR_INTERNAL_ERROR, violation->reason, violation->line, violation->column);
        return;
    }

    xmlError firstError{};
    std::unique_ptr<xmlParserCtxt, XmlCtxtFree> ctxt(xmlNewParserCtxt());
    if (!ctxt) throw RuntimeError(err::OutOfMemory);
    // The structured handler is per thread; the caller's is put back once the file is parsed.
    void* const previousContext = xmlStructuredErrorContext;
    const xmlStructuredErrorFunc previousHandler = xmlStructuredError;
    xmlSetStructuredErrorFunc(&firstError, keepFirstError);
    // No network, no external subset, no entity substitution in the tree (references are expanded by
    // TextCollector under its budget).
    std::unique_ptr<xmlDoc, XmlDocFree> doc(xmlCtxtReadMemory(ctxt.get(), bytes.data(), static_cast<int>(bytes.size()),
                                                              sourceName.c_str(), nullptr, XML_PARSE_NONET));
    xmlSetStructuredErrorFunc(previousContext, previousHandler);
    std::string().swap(bytes);
    const bool failed = !doc || !ctxt->wellFormed;
    if (failed) {
        const xmlError* error = firstError.code != 0 ? &firstError : &ctxt->lastError;
        const int code = error->code;
        const std::string reason = trimmedMessage(error->message);
        const int line = error->line;
        const int column = error->int2;
        xmlResetError(&firstError);
        doc.reset();
        ctxt.reset();
        reportParseError(code, reason, line, column);
        return;
    }
    xmlResetError(&firstError);

    TextCollector collector;
    Reader reader(collector);
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    const xmlNode* language = root ? findElement(root, "language", true) : nullptr;
    if (!language) throw RuntimeError(err::ObjectNotSet, "The language file has no language element");
    // The name is taken before the version is read, so a file that lacks only the version still names the
    // language when its load fails.
    LanguageName = reader.attribute(language, "name");
    LanguageVersion = reader.attribute(language, "version");

    for (const xmlNode* dbNode = language->children; dbNode; dbNode = dbNode->next) {
        if (!isElementChild(dbNode) || !equalsIgnoreCase(qualifiedName(dbNode), "database")) continue;
        std::string dbName = reader.attribute(dbNode, "name");
        const bool process = reader.truthAttribute(dbNode, "process");
        const auto d = AppendDatabase(std::move(dbName), process);

        for (const xmlNode* entryNode = dbNode->children; entryNode; entryNode = entryNode->next) {
            if (!isElementChild(entryNode) || !equalsIgnoreCase(qualifiedName(entryNode), "entry")) continue;
            std::string entryName = reader.attribute(entryNode, "name");
            std::string type = reader.attribute(entryNode, "type");
            const auto e = AppendEntry(d, std::move(entryName), LanguageValue(std::string()), std::move(type));
            auto& value = m_databases[static_cast<std::size_t>(d)].Entries[static_cast<std::size_t>(e)].Value;

            // Without an "array" attribute, or with another word in it, the value stays empty text.
            const auto array = reader.findAttribute(entryNode, "array");
            if (array && equalsIgnoreCase(*array, "false")) {
                value = reader.text(entryNode);
            } else if (array && equalsIgnoreCase(*array, "true")) {
                value = readArray(reader, entryNode);
            }
        }
    }
}

} // namespace tvk
