#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

// Read-only access to Jet databases (the workbook's database member).
namespace qv::jet {

class Table;

// What a value read looks like.
enum class ValueState {
  Value,   // present
  Null,    // no value (also: the column does not exist)
  Broken,  // stored data that cannot be read or converted
};

// An open database. The file is checked to be a Jet database before the
// engine sees it, so random bytes are refused without being parsed.
class Database {
 public:
  Database();
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Opens path read-only. A database password is not needed for reading.
  bool open(const QString& path);
  bool isOpen() const;
  void close();

  // The user table of that name (case-insensitive, as the engine names
  // tables), or nullptr when there is none or it cannot be read. The table
  // must not outlive the database.
  std::unique_ptr<Table> table(const QString& name);

  // True when the file's first page holds a Jet 3/Jet 4 or later header
  // with a page size the file is a whole multiple of.
  static bool looksLikeJetFile(const QString& path);

  struct Impl;

 private:
  std::unique_ptr<Impl> d_;
};

// A table read record by record in table order.
class Table {
 public:
  ~Table();
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  // Index of the column (case-insensitive), -1 when there is none.
  int column(const QString& name) const;
  // The number of records the table's definition announces.
  int64_t recordCount() const;
  // Moves to the next record; false at the end of the table or when the
  // next record cannot be read.
  bool next();
  // Records fetched so far.
  int64_t fetched() const { return fetched_; }

  // The current record's value of a column. A missing column (-1) reads as
  // Null.
  ValueState integer(int column, int32_t& out) const;
  // Text and memo columns as characters.
  ValueState text(int column, QString& out) const;
  // Text and memo columns whose characters stand for bytes (Windows-1252,
  // one byte per character; NUL characters kept).
  ValueState bytes(int column, QByteArray& out) const;

 private:
  friend class Database;
  struct Impl;
  explicit Table(std::unique_ptr<Impl> d);
  std::unique_ptr<Impl> d_;
  int64_t fetched_ = 0;
};

// Decodes the stored form of Jet 4 text: UTF-16LE, or the compressed form
// that begins with FF FE (one byte per character, a 00 byte switching
// between one-byte and two-byte characters).
QString decodeJet4Text(const unsigned char* data, qsizetype size);

}  // namespace qv::jet
