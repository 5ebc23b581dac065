#pragma once

// The RTF tokenizer: cuts RTF bytes into group braces, control words,
// control symbols, \'hh bytes and runs of plain text. It knows nothing of
// what they mean; the reader (rtf_reader.cpp) gives them their meaning.
//
// Damaged input is normal input: numbers are clamped, a control word's name
// is cut at 32 letters, an escape cut off by the end of the bytes ends the
// tokens, and \binN skips its N bytes (or the rest) without a token.

#include <QtGlobal>
#include <string_view>

namespace qv::rtf::codec {

struct Token {
  enum class Kind { End, Open, Close, Word, Symbol, Hex, Text };
  Kind kind = Kind::End;
  const char* start = nullptr;  // where the token begins in the bytes
  // Word: the name, and its number when it has one.
  std::string_view word;
  bool hasNum = false;
  int num = 0;
  char symbol = 0;         // Symbol: the character after the backslash
  unsigned char byte = 0;  // Hex: the byte
  std::string_view text;   // Text: the bytes of the run
};

class Tokenizer {
 public:
  Tokenizer(const char* begin, const char* end) : p_(begin), end_(end) {}
  Token next();

 private:
  Token controlWord(const char* start);
  const char* p_;
  const char* end_;
};

}  // namespace qv::rtf::codec
