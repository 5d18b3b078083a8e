// JSON text read in place: accepted and refused exactly as NSJSONSerialization reads it (the
// encodings, the tolerated forms, the nesting limit), but its values are read where the parser
// left them instead of becoming Foundation objects. For a caller that reads a large text once
// and keeps only what it turns into objects of its own, such as a menu description.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace simdjson::dom {
class element;
} // namespace simdjson::dom

class NSString;

// One value of a parsed document, valid as long as its JSONDocument.
class JSONValue {
public:
  enum class Kind : unsigned char {
    Array,
    Object,
    String,
    Integer,
    UnsignedInteger,
    Double,
    Boolean,
    Null
  };

  Kind kind() const;
  bool isArray() const { return kind() == Kind::Array; }
  bool isObject() const { return kind() == Kind::Object; }
  bool isString() const { return kind() == Kind::String; }
  bool isNumber() const;
  // A string's UTF-8 text, escapes resolved; empty for any other kind.
  std::string_view utf8() const;
  // A string as the owned (+1) NSString that NSJSONSerialization makes of it; nil for any other
  // kind.
  NSString* newString() const;
  // A string's UTF-16 text, as NSString holds it.
  std::u16string utf16() const;
  // A number's intValue, as NSNumber gives it; 0 for any other kind.
  int intValue() const;

  // Calls visit(value) for each element of an array, in order; nothing for any other kind.
  template <class Visit> void forEachElement(Visit&& visit) const {
    visitElements(
        [](void* context, JSONValue value) {
          (*static_cast<std::remove_reference_t<Visit>*>(context))(value);
        },
        &visit);
  }
  // Calls visit(key, value) for each member of an object, in the text's order, duplicates
  // included (the last of equal keys is the one NSJSONSerialization keeps); nothing for any
  // other kind.
  template <class Visit> void forEachMember(Visit&& visit) const {
    visitMembers(
        [](void* context, std::string_view key, JSONValue value) {
          (*static_cast<std::remove_reference_t<Visit>*>(context))(key, value);
        },
        &visit);
  }

  // Sets values[i] to the member named keys[i], the last of equal keys as NSJSONSerialization
  // keeps it, or to nullopt when there is none (or this is not an object). One pass over the
  // members, for a reader that wants a few known keys of each object.
  void membersNamed(std::span<const std::string_view> keys,
                    std::span<std::optional<JSONValue>> values) const;

  // For the platform's own readers, which hold simdjson's documents.
  explicit JSONValue(const simdjson::dom::element& element);
  simdjson::dom::element element() const;
  // UTF-16 from UTF-8 that the parser has validated.
  static std::u16string utf16From(std::string_view validUTF8);

private:
  void visitElements(void (*visit)(void*, JSONValue), void* context) const;
  void visitMembers(void (*visit)(void*, std::string_view, JSONValue), void* context) const;

  // simdjson's element (a document and a position on its tape), kept opaque here.
  alignas(8) unsigned char element_[16];
};

class JSONDocument {
public:
  JSONDocument();
  ~JSONDocument();
  JSONDocument(const JSONDocument&) = delete;
  JSONDocument& operator=(const JSONDocument&) = delete;

  // Parses the bytes as NSJSONSerialization's JSONObjectWithData does with the fragments option
  // as given. False, with failureReason() and failureIndex() (or std::string_view::npos) set,
  // when it would give nil.
  bool parse(std::string_view bytes, bool fragmentsAllowed);
  // The same for text held as UTF-16 (an NSString's), read as its UTF-8 with a lone surrogate as
  // U+FFFD. The text is encoded straight into a buffer that the parser reads in place, so a large
  // text is neither sized first nor copied again.
  bool parseUnicode(std::u16string_view text, bool fragmentsAllowed);
  // The top-level value; only after a successful parse.
  JSONValue root() const;

  const std::string& failureReason() const { return failureReason_; }
  std::size_t failureIndex() const { return failureIndex_; }

private:
  // padded: the parser may read its padding past the end of bytes.
  bool parseBytes(std::string_view bytes, bool fragmentsAllowed, bool padded);

  struct Parse;
  std::unique_ptr<Parse> parse_;
  std::string failureReason_;
  std::size_t failureIndex_ = std::string_view::npos;
};
