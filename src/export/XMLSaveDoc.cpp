#include "export/XMLSaveDoc.h"

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/Encoding.h"
#include "platform/FileReplace.h"
#include "platform/Paths.h"

namespace {

const xmlChar* X(const std::string& s) { return reinterpret_cast<const xmlChar*>(s.c_str()); }

// ---------------------------------------------------------------------------------------------
// Code page 932 under the name "Shift_JIS". libxml2 would otherwise take iconv's JIS form of
// Shift-JIS, which lacks the Windows characters. The handler is registered once for the
// process; it also serves the parser, so files written here can be read back.

// Set when the output side met a character it cannot encode. libxml2 then writes a character
// reference in its place; the save reports the failure instead of keeping such a file.
thread_local bool encodeFailed = false;
thread_local long encodeFailedChar = 0;

// Length of the UTF-8 character at p (1 for a stray byte); 0 when it is cut off at the end.
size_t Utf8Len(const unsigned char* p, size_t left) {
  const unsigned char b = p[0];
  const size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 1;
  return n > left ? 0 : n;
}

// Length of the CP932 character at p; 0 when a lead byte stands last.
size_t Cp932Len(const unsigned char* p, size_t left) {
  if (!sjis::IsLeadByte(p[0])) return 1;
  return left < 2 ? 0 : 2;
}

long CodePoint(const unsigned char* p, size_t n) {
  if (n == 1) return p[0];
  long cp = p[0] & (0x3F >> (n - 1));
  for (size_t i = 1; i < n; ++i) cp = (cp << 6) | (p[i] & 0x3F);
  return cp;
}

// Converts whole characters from in to out as far as both buffers allow; growth is the most
// output bytes one input byte can give. Returns the bytes written, or -2 at a character that
// cannot be converted (*inlen then counts the input before it), as libxml2 expects.
template <typename CharLen, typename Convert>
int Transcode(unsigned char* out, int* outlen, const unsigned char* in, int* inlen, size_t growth,
              CharLen charLen, Convert convert) {
  if (in == nullptr || inlen == nullptr) {  // the initial call that asks for a header
    *outlen = 0;
    if (inlen != nullptr) *inlen = 0;
    return 0;
  }
  const size_t inSize = static_cast<size_t>(*inlen);
  const size_t outSize = static_cast<size_t>(*outlen);
  size_t i = 0, o = 0;
  std::string conv;
  auto fail = [&](size_t at) {
    *inlen = static_cast<int>(at);
    *outlen = static_cast<int>(o);
    return -2;
  };
  while (i < inSize) {
    // A batch of whole characters whose conversion surely fits.
    size_t j = i;
    while (j < inSize) {
      const size_t n = charLen(in + j, inSize - j);
      if (n == 0 || (j + n - i) * growth > outSize - o) break;
      j += n;
    }
    if (j == i) break;  // a character cut off at the end, or no room: the caller comes again
    const std::string_view batch(reinterpret_cast<const char*>(in + i), j - i);
    if (convert(batch, conv)) {
      std::memcpy(out + o, conv.data(), conv.size());
      o += conv.size();
      i = j;
      continue;
    }
    // Find the character that fails; everything before it is written.
    while (i < j) {
      const size_t n = charLen(in + i, j - i);
      if (!convert(std::string_view(reinterpret_cast<const char*>(in + i), n), conv)) return fail(i);
      std::memcpy(out + o, conv.data(), conv.size());
      o += conv.size();
      i += n;
    }
  }
  *inlen = static_cast<int>(i);
  *outlen = static_cast<int>(o);
  return static_cast<int>(o);
}

int Utf8ToCp932(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
  const size_t inSize = inlen != nullptr ? static_cast<size_t>(*inlen) : 0;
  const int r = Transcode(out, outlen, in, inlen, 1, Utf8Len, [](std::string_view s, std::string& o) {
    return sjis::TryFromUtf8(s, o);
  });
  if (r == -2) {
    const size_t at = static_cast<size_t>(*inlen);
    const size_t n = Utf8Len(in + at, inSize - at);
    encodeFailed = true;
    encodeFailedChar = CodePoint(in + at, n == 0 ? 1 : n);
  }
  return r;
}

int Cp932ToUtf8(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
  return Transcode(out, outlen, in, inlen, 3, Cp932Len, [](std::string_view s, std::string& o) {
    return sjis::TryToUtf8(s, o);
  });
}

void RegisterShiftJis() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    // Registers itself (under the upper-cased name that libxml2 looks names up by).
    xmlNewCharEncodingHandler("Shift_JIS", Cp932ToUtf8, Utf8ToCp932);
  });
}

// ---------------------------------------------------------------------------------------------

void CheckName(const std::string& name) {
  if (name.empty() || xmlValidateName(X(name), 0) != 0)
    throw EXmlDocError("XML: \"" + name + "\" is not a valid element or attribute name");
}

void ReplaceText(xmlNodePtr node, const std::string& text) {
  // Only the text goes; an element child (never made by the export) would stay.
  for (xmlNodePtr c = node->children; c != nullptr;) {
    xmlNodePtr next = c->next;
    if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) {
      xmlUnlinkNode(c);
      xmlFreeNode(c);
    }
    c = next;
  }
  if (!text.empty()) xmlAddChild(node, xmlNewDocText(node->doc, X(text)));
}

void SetAttribute(xmlNodePtr node, std::string_view attrName, std::string_view attrValue) {
  if (attrName.empty()) return;
  const std::string name = TXmlSaveDoc::EscapeText(attrName);
  CheckName(name);
  // xmlSetProp stores the value as literal text.
  xmlSetProp(node, X(name), X(TXmlSaveDoc::EscapeText(attrValue)));
}

std::string ErrnoText(const std::string& what, const std::string& path, int err) {
  return "XML: " + what + " \"" + path + "\": " + std::strerror(err);
}

// The file is replaced whole: a failed save keeps the earlier file and leaves nothing beside it.
void WriteReplacing(const std::string& path, const std::string& bytes) {
  const filereplace::Result r = filereplace::Replace(path, bytes);
  switch (r.step) {
    case filereplace::Step::None: return;
    case filereplace::Step::Create: throw EXmlDocError(ErrnoText("cannot create a file in the folder of", path, r.error));
    case filereplace::Step::Write: throw EXmlDocError(ErrnoText("cannot write", path, r.error));
    case filereplace::Step::Replace: throw EXmlDocError(ErrnoText("cannot replace", path, r.error));
  }
}

}  // namespace

TXmlSaveDoc::TXmlSaveDoc(std::string_view version, std::string_view encoding, std::string_view standAlone)
    : encoding_(encoding) {
  RegisterShiftJis();
  doc_ = xmlNewDoc(X(std::string(version)));
  if (doc_ == nullptr) throw EXmlDocError("XML: cannot create a document");
  if (!encoding_.empty()) doc_->encoding = xmlStrdup(X(encoding_));
  if (standAlone.empty()) {
    doc_->standalone = -1;
  } else if (standAlone == "yes") {
    doc_->standalone = 1;
  } else if (standAlone == "no") {
    doc_->standalone = 0;
  } else {
    xmlFreeDoc(doc_);
    throw EXmlDocError("XML: standalone must be \"yes\" or \"no\", not \"" + std::string(standAlone) + "\"");
  }
}

TXmlSaveDoc::~TXmlSaveDoc() { xmlFreeDoc(doc_); }

std::string TXmlSaveDoc::EscapeText(std::string_view text) {
  // None of the five characters can be part of a multi-byte character, in UTF-8 as in CP932.
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

TXmlNode TXmlSaveDoc::CreateRoot(std::string_view name, std::string_view namespaceURI) {
  const std::string n = EscapeText(name);
  CheckName(n);
  xmlNodePtr root = xmlNewDocNode(doc_, nullptr, X(n), nullptr);
  if (root == nullptr) throw EXmlDocError("XML: cannot create the element \"" + n + "\"");
  if (!namespaceURI.empty()) {
    xmlNsPtr ns = xmlNewNs(root, X(EscapeText(namespaceURI)), nullptr);
    xmlSetNs(root, ns);
  }
  xmlNodePtr old = xmlDocSetRootElement(doc_, root);
  if (old != nullptr) xmlFreeNode(old);
  return root;
}

TXmlNode TXmlSaveDoc::NewElement(TXmlNode parent, std::string_view name, std::string_view attrName,
                                 std::string_view attrValue) {
  const std::string n = EscapeText(name);
  if (parent == nullptr) throw EXmlDocError("XML: no element to append \"" + n + "\" to");
  CheckName(n);
  xmlNodePtr node = xmlNewDocNode(doc_, nullptr, X(n), nullptr);
  if (node == nullptr) throw EXmlDocError("XML: cannot create the element \"" + n + "\"");
  xmlAddChild(parent, node);
  SetAttribute(node, attrName, attrValue);
  return node;
}

TXmlNode TXmlSaveDoc::AddNode(TXmlNode parent, std::string_view name, std::string_view attrName,
                              std::string_view attrValue) {
  return NewElement(parent != nullptr ? parent : DocumentElement(), name, attrName, attrValue);
}

void TXmlSaveDoc::AddTextNode(TXmlNode parent, std::string_view name, std::string_view text,
                              std::string_view attrName, std::string_view attrValue) {
  xmlNodePtr node = NewElement(parent, name, attrName, attrValue);
  ReplaceText(node, EscapeText(text));
}

void TXmlSaveDoc::SetChildText(TXmlNode parent, std::string_view childName, std::string_view value,
                               std::string_view attrName, std::string_view attrValue) {
  xmlNodePtr child = FindNode(parent, childName);
  if (child == nullptr) {
    throw EXmlDocError("XML: \"" + NodeName(parent) + "\" has no child \"" + EscapeText(childName) + "\"");
  }
  if (!value.empty()) ReplaceText(child, EscapeText(value));
  SetAttribute(child, attrName, attrValue);
}

TXmlNode TXmlSaveDoc::FindNode(TXmlNode parent, std::string_view name) const {
  if (parent == nullptr) parent = DocumentElement();
  if (parent == nullptr) return nullptr;
  const std::string n = EscapeText(name);
  for (xmlNodePtr c = parent->children; c != nullptr; c = c->next) {
    if (c->type == XML_ELEMENT_NODE && n == reinterpret_cast<const char*>(c->name)) return c;
  }
  return nullptr;
}

TXmlNode TXmlSaveDoc::DocumentElement() const { return xmlDocGetRootElement(doc_); }

std::string TXmlSaveDoc::NodeName(TXmlNode node) {
  return node == nullptr ? std::string() : reinterpret_cast<const char*>(node->name);
}

std::string TXmlSaveDoc::NodeText(TXmlNode node) {
  if (node == nullptr) return {};
  xmlChar* content = xmlNodeGetContent(node);
  std::string text = content != nullptr ? reinterpret_cast<const char*>(content) : "";
  xmlFree(content);
  return text;
}

std::string TXmlSaveDoc::SaveToBytes() const {
  xmlBufferPtr buffer = xmlBufferCreate();
  if (buffer == nullptr) throw EXmlDocError("XML: out of memory");
  encodeFailed = false;
  encodeFailedChar = 0;
  // No formatting: no indentation and no line breaks between elements.
  xmlSaveCtxtPtr ctxt = xmlSaveToBuffer(buffer, encoding_.empty() ? nullptr : encoding_.c_str(), 0);
  if (ctxt == nullptr) {
    xmlBufferFree(buffer);
    throw EXmlDocError("XML: the encoding \"" + encoding_ + "\" is not supported");
  }
  const long saved = xmlSaveDoc(ctxt, doc_);
  const int closed = xmlSaveClose(ctxt);
  std::string bytes(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                    static_cast<size_t>(xmlBufferLength(buffer)));
  xmlBufferFree(buffer);
  if (encodeFailed) {
    char cp[16];
    std::snprintf(cp, sizeof cp, "U+%04lX", encodeFailedChar);
    throw EXmlDocError("XML: the character " + std::string(cp) + " cannot be written in " + encoding_);
  }
  if (saved < 0 || closed < 0) throw EXmlDocError("XML: the document could not be serialised");
  return bytes;
}

void TXmlSaveDoc::SaveToFile(const std::string& fileName) const {
  const std::string path = ResolvePath(fileName);
  if (path.empty()) throw EXmlDocError("XML: the drive of \"" + fileName + "\" is not mapped");
  WriteReplacing(path, SaveToBytes());
}
