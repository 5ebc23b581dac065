#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>

namespace qv {

// Setting Fehlerversuche outside the 16-bit range.
class OverflowError : public std::overflow_error {
 public:
  OverflowError() : std::overflow_error("Überlauf") {}
};

// The record of one gap of an exercise.
class clsToken {
 public:
  clsToken() = default;

  void setAnfang(const int32_t& v) { anfang_ = v; }
  int32_t Anfang() const { return anfang_; }
  void setInhalt(const QString& v) { inhalt_ = v; }
  QString Inhalt() const { return inhalt_; }
  void setGrundform(const QString& v) { grundform_ = v; }
  QString Grundform() const { return grundform_; }
  void setLoesung(const QString& v) { loesung_ = v; }
  QString Loesung() const { return loesung_; }
  void setPapiertext(const QString& v) { papiertext_ = v; }
  QString Papiertext() const { return papiertext_; }
  void setTipp(const QString& v) { tipp_ = v; }
  QString Tipp() const { return tipp_; }
  void setAlternativen(const QString& v) { alternativen_ = v; }
  QString Alternativen() const { return alternativen_; }
  // Stored in 16 bits; a value outside that range throws OverflowError and
  // leaves the stored value unchanged.
  void setFehlerversuche(const int32_t& v) {
    if (v < INT16_MIN || v > INT16_MAX) throw OverflowError();
    fehlerversuche_ = static_cast<int16_t>(v);
  }
  int32_t Fehlerversuche() const { return fehlerversuche_; }
  void setWortart(const uint8_t& v) { wortart_ = v; }
  uint8_t Wortart() const { return wortart_; }
  void setBemerkung(const QString& v) { bemerkung_ = v; }
  QString Bemerkung() const { return bemerkung_; }

 private:
  int32_t anfang_ = 0;
  QString inhalt_;
  QString grundform_;
  QString loesung_;
  QString papiertext_;
  QString tipp_;
  QString alternativen_;
  int16_t fehlerversuche_ = 0;
  uint8_t wortart_ = 0;
  QString bemerkung_;
};

}  // namespace qv
