#pragma once
// The XML document writer through which the export builds and saves the intermediate file.
// It owns one libxml2 document and offers the few operations the export needs: the
// declaration, the root, appending elements (with or without text), finding a child and
// changing a child's text, and saving.
//
// Every name, text and attribute value handed to it passes EscapeText first, and the
// document model escapes character data once more when it saves. A "&" in a text therefore
// stands in the file as "&amp;amp;": the importing application reads the files written that
// way. Texts reach the document as literal text nodes, never as markup that libxml2 would
// parse for entity references, so the once-escaped text is exactly what a reader gets back.
//
// Saving with the encoding "Shift_JIS" writes code page 932 (the Windows form of Shift-JIS,
// which company names use for ㈱, ①, ～ ...) under that name. A character that cannot be
// encoded makes SaveToFile fail instead of writing a file that says something else.
//
// Texts are UTF-8 here, as everywhere in the program. Element references (TXmlNode) belong to
// the document and are valid until it is destroyed.
#include <stdexcept>
#include <string>
#include <string_view>

struct _xmlDoc;
struct _xmlNode;
using TXmlNode = _xmlNode*;

// Refusals of the document model: an invalid element name, no parent to append to, a child
// that is not there, a text that cannot be encoded, a file that cannot be written.
class EXmlDocError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TXmlSaveDoc {
 public:
  // An empty document whose declaration carries version and encoding, and the standalone
  // value only when standAlone is not empty ("yes" or "no").
  TXmlSaveDoc(std::string_view version, std::string_view encoding, std::string_view standAlone);
  ~TXmlSaveDoc();
  TXmlSaveDoc(const TXmlSaveDoc&) = delete;
  TXmlSaveDoc& operator=(const TXmlSaveDoc&) = delete;

  // Writes the whole document in the declared encoding to fileName (a drive-form name is
  // resolved). The bytes go to a temporary file beside the target, which replaces the target
  // only when it is complete: a failure leaves an earlier file as it was and no partial file.
  void SaveToFile(const std::string& fileName) const;
  // The bytes SaveToFile writes.
  std::string SaveToBytes() const;

  // "&", "<", ">", the double quote and the apostrophe replaced by their entity references,
  // "&" first (so "&amp;" becomes "&amp;amp;").
  static std::string EscapeText(std::string_view text);

  // Creates the document element (in namespaceURI as default namespace; empty means none).
  TXmlNode CreateRoot(std::string_view name, std::string_view namespaceURI);
  // Appends an element as the last child of parent, or of the document element when parent
  // is null; sets the attribute when attrName is not empty.
  TXmlNode AddNode(TXmlNode parent, std::string_view name, std::string_view attrName = {},
                   std::string_view attrValue = {});
  // Appends an element holding text (an empty text gives an empty element). Callers that need
  // the element use AddNode instead: nothing is returned.
  void AddTextNode(TXmlNode parent, std::string_view name, std::string_view text,
                   std::string_view attrName = {}, std::string_view attrValue = {});
  // Replaces the text of the first child element named childName when value is not empty,
  // and sets the attribute on it when attrName is not empty. The child must exist.
  void SetChildText(TXmlNode parent, std::string_view childName, std::string_view value,
                    std::string_view attrName = {}, std::string_view attrValue = {});
  // The first child element of parent (of the document element when null) named name, or null.
  TXmlNode FindNode(TXmlNode parent, std::string_view name) const;

  // The document element, or null before CreateRoot.
  TXmlNode DocumentElement() const;
  // The name of an element and its text content (as a reader of the file would see it).
  static std::string NodeName(TXmlNode node);
  static std::string NodeText(TXmlNode node);

 private:
  TXmlNode NewElement(TXmlNode parent, std::string_view name, std::string_view attrName,
                      std::string_view attrValue);

  _xmlDoc* doc_ = nullptr;
  std::string encoding_;
};
