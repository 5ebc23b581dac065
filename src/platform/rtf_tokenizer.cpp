#include "platform/rtf_tokenizer.h"

#include <algorithm>
#include <climits>

namespace qv::rtf::codec {
namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool endsText(char c) { return c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n' || c == '\0'; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

Token Tokenizer::controlWord(const char* start) {
  // p_ is on the first letter.
  const char* w = p_;
  while (p_ < end_ && isLetter(*p_) && p_ - w < 32) ++p_;
  Token t;
  t.kind = Token::Kind::Word;
  t.start = start;
  t.word = std::string_view(w, static_cast<size_t>(p_ - w));
  while (p_ < end_ && isLetter(*p_)) ++p_;  // an overlong name
  bool neg = false;
  long long num = 0;
  if (p_ + 1 < end_ && *p_ == '-' && isDigit(p_[1])) {
    neg = true;
    ++p_;
  }
  while (p_ < end_ && isDigit(*p_)) {
    t.hasNum = true;
    if (num < 10'000'000'000LL) num = num * 10 + (*p_ - '0');
    ++p_;
  }
  if (p_ < end_ && *p_ == ' ') ++p_;
  t.num = static_cast<int>(std::clamp<long long>(neg ? -num : num, INT_MIN, INT_MAX));
  return t;
}

Token Tokenizer::next() {
  for (;;) {
    if (p_ >= end_) return {};
    const char* start = p_;
    const char c = *p_;
    if (c == '{' || c == '}') {
      ++p_;
      Token t;
      t.kind = c == '{' ? Token::Kind::Open : Token::Kind::Close;
      t.start = start;
      return t;
    }
    if (c == '\r' || c == '\n' || c == '\0') {
      ++p_;
      continue;
    }
    if (c != '\\') {
      while (p_ < end_ && !endsText(*p_)) ++p_;
      Token t;
      t.kind = Token::Kind::Text;
      t.start = start;
      t.text = std::string_view(start, static_cast<size_t>(p_ - start));
      return t;
    }
    ++p_;
    if (p_ >= end_) return {};
    if (isLetter(*p_)) {
      Token t = controlWord(start);
      if (t.word != "bin") return t;
      p_ += std::clamp<qsizetype>(t.hasNum ? t.num : 0, 0, end_ - p_);
      continue;
    }
    const char s = *p_++;
    if (s == '\'') {
      if (p_ + 1 >= end_) {
        p_ = end_;
        return {};
      }
      const int h = hexValue(p_[0]), l = hexValue(p_[1]);
      // An invalid escape is dropped; what follows is read normally.
      if (h < 0 || l < 0) continue;
      p_ += 2;
      Token t;
      t.kind = Token::Kind::Hex;
      t.start = start;
      t.byte = static_cast<unsigned char>(h * 16 + l);
      return t;
    }
    Token t;
    t.kind = Token::Kind::Symbol;
    t.start = start;
    t.symbol = s;
    return t;
  }
}

}  // namespace qv::rtf::codec
