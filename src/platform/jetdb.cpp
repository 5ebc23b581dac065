#include "platform/jetdb.h"

// glib first: mdbtools.h opens its own C linkage block before glib.
#include <glib.h>
#include <mdbtools.h>

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cstring>

#include "platform/cp1252.h"

namespace qv::jet {

namespace {

constexpr int kMemoHeader = 12;
constexpr uint32_t kMemoInline = 0x80000000u;
constexpr uint32_t kMemoOnePage = 0x40000000u;
constexpr uint32_t kMemoLengthMask = 0x3fffffffu;
constexpr int kRowOffsetMask = 0x1fff;
constexpr unsigned char kDataPage = 0x01;

uint32_t le32(const unsigned char* p) { return qFromLittleEndian<uint32_t>(p); }
uint16_t le16(const unsigned char* p) { return qFromLittleEndian<uint16_t>(p); }

}  // namespace

QString decodeJet4Text(const unsigned char* data, qsizetype size) {
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    QString out;
    out.reserve(size - 2);
    bool compressed = true;
    qsizetype i = 2;
    while (i < size) {
      if (data[i] == 0) {
        compressed = !compressed;
        ++i;
      } else if (compressed) {
        out.append(QChar(char16_t(data[i])));
        ++i;
      } else if (i + 1 < size) {
        out.append(QChar(char16_t(data[i] | (data[i + 1] << 8))));
        i += 2;
      } else {
        break;
      }
    }
    return out;
  }
  QString out(size / 2, Qt::Uninitialized);
  QChar* d = out.data();
  for (qsizetype k = 0; k < size / 2; ++k) d[k] = QChar(char16_t(data[2 * k] | (data[2 * k + 1] << 8)));
  return out;
}

// ---------------------------------------------------------------------------

namespace {

// Checks a row reference (page << 8 | row) the way the database library
// follows it when it reads a table definition's usage maps: it does not check
// the row offsets it computes, so damaged ones would make it copy from outside
// its page buffer or leave the map unset.
bool rowIsSound(MdbHandle* mdb, qint64 pages, uint32_t pgRow, int minLength) {
  const qsizetype size = mdb->fmt->pg_size;
  const uint32_t page = pgRow >> 8;
  const int row = static_cast<int>(pgRow & 0xff);
  if (page == 0 || page >= pages || mdb_read_alt_pg(mdb, page) != size) return false;
  const unsigned char* pg = mdb->alt_pg_buf;
  const int rco = mdb->fmt->row_count_offset;
  const int rows = le16(pg + rco);
  if (row >= rows || rco + 2 + rows * 2 > size) return false;
  const int start = le16(pg + rco + 2 + row * 2);  // flag bits set make the row unusable here
  const int end = row == 0 ? int(size) : (le16(pg + rco + row * 2) & kRowOffsetMask);
  return start >= rco + 2 + rows * 2 && start <= end && end <= size && end - start >= minLength;
}

// A table definition page whose usage map and free-space map can be read.
bool tableDefinitionIsSound(MdbHandle* mdb, qint64 pages, uint32_t tdefPage) {
  if (tdefPage == 0 || tdefPage >= pages || mdb_read_alt_pg(mdb, tdefPage) != mdb->fmt->pg_size) return false;
  if (mdb->alt_pg_buf[0] != 0x02) return false;
  const uint32_t usage = le32(mdb->alt_pg_buf + mdb->fmt->tab_usage_map_offset);
  const uint32_t free = le32(mdb->alt_pg_buf + mdb->fmt->tab_free_map_offset);
  // A usage map is its type byte, a start page and at least one map byte.
  return rowIsSound(mdb, pages, usage, 5) && rowIsSound(mdb, pages, free, 0);
}

}  // namespace

struct Database::Impl {
  MdbHandle* mdb = nullptr;
  bool jet3 = false;
  qint64 pages = 0;
};

struct Table::Impl {
  MdbHandle* mdb = nullptr;
  MdbTableDef* def = nullptr;
  bool jet3 = false;

  ~Impl() {
    if (def) mdb_free_tabledef(def);
  }

  MdbColumn* col(int c) const {
    if (c < 0 || c >= int(def->num_cols)) return nullptr;
    return static_cast<MdbColumn*>(g_ptr_array_index(def->columns, c));
  }
  qsizetype pageSize() const { return mdb->fmt->pg_size; }

  // The raw stored value of the current record inside the data page; false
  // for NULL or for a value that does not lie inside the page.
  ValueState raw(const MdbColumn* c, const unsigned char*& p, qsizetype& n) const {
    if (!c || c->cur_value_len <= 0) return ValueState::Null;
    if (c->cur_value_start < 0 || qsizetype(c->cur_value_start) + c->cur_value_len > pageSize())
      return ValueState::Broken;
    p = mdb->pg_buf + c->cur_value_start;
    n = c->cur_value_len;
    return ValueState::Value;
  }

  // Row `row` of page `pg` (a long-value page), copied out of the page.
  bool lvalRow(uint32_t pg, int row, QByteArray& out) const {
    const qsizetype size = pageSize();
    if (pg == 0 || mdb_read_alt_pg(mdb, pg) != size) return false;
    const unsigned char* page = mdb->alt_pg_buf;
    if (page[0] != kDataPage) return false;
    const int rco = mdb->fmt->row_count_offset;
    const int rows = le16(page + rco);
    if (row < 0 || row >= rows || rco + 2 + 2 * (row + 1) > size) return false;
    const int start = le16(page + rco + 2 + 2 * row) & kRowOffsetMask;
    const int end = row == 0 ? int(size) : (le16(page + rco + 2 * row) & kRowOffsetMask);
    if (start >= end || end > size || start < rco + 2 + 2 * rows) return false;
    out = QByteArray(reinterpret_cast<const char*>(page + start), end - start);
    return true;
  }

  // The stored bytes of a memo value (12-byte header in the record, data in
  // the record, on one long-value page, or on a chain of them).
  ValueState memo(const unsigned char* p, qsizetype n, QByteArray& out) const {
    if (n < kMemoHeader) return ValueState::Broken;
    const uint32_t head = le32(p);
    const qsizetype length = head & kMemoLengthMask;
    if (head & kMemoInline) {
      if (n - kMemoHeader < length) return ValueState::Broken;
      out = QByteArray(reinterpret_cast<const char*>(p + kMemoHeader), length);
      return ValueState::Value;
    }
    uint32_t pgRow = le32(p + 4);
    if (head & kMemoOnePage) {
      QByteArray row;
      if (!lvalRow(pgRow >> 8, pgRow & 0xff, row) || row.size() < length) return ValueState::Broken;
      out = row.left(length);
      return ValueState::Value;
    }
    if (head & 0xff000000u) return ValueState::Broken;
    // A chain: every row begins with the page/row of the next one. Each step
    // adds data and the loop stops at the announced length, so a damaged
    // chain that points back cannot loop.
    out.clear();
    out.reserve(length);
    while (out.size() < length) {
      QByteArray row;
      if (!lvalRow(pgRow >> 8, pgRow & 0xff, row) || row.size() <= 4) return ValueState::Broken;
      pgRow = le32(reinterpret_cast<const unsigned char*>(row.constData()));
      out.append(row.constData() + 4, row.size() - 4);
      if (pgRow == 0) break;
    }
    if (out.size() < length) return ValueState::Broken;
    out.truncate(length);
    return ValueState::Value;
  }

  ValueState storedText(int column, QString& out) const {
    const MdbColumn* c = col(column);
    const unsigned char* p = nullptr;
    qsizetype n = 0;
    const ValueState s = raw(c, p, n);
    if (s != ValueState::Value) return s;
    QByteArray memoData;
    if (c->col_type == MDB_MEMO) {
      const ValueState m = memo(p, n, memoData);
      if (m != ValueState::Value) return m;
      p = reinterpret_cast<const unsigned char*>(memoData.constData());
      n = memoData.size();
    } else if (c->col_type != MDB_TEXT) {
      return ValueState::Broken;
    }
    out = jet3 ? cp1252::decode(QByteArray(reinterpret_cast<const char*>(p), n)) : decodeJet4Text(p, n);
    return ValueState::Value;
  }
};

// ---------------------------------------------------------------------------

Database::Database() : d_(std::make_unique<Impl>()) {}
Database::~Database() { close(); }

bool Database::looksLikeJetFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = f.read(0x20);
  if (head.size() < 0x20) return false;
  const auto* h = reinterpret_cast<const unsigned char*>(head.constData());
  if (le32(h) != 0x100) return false;
  if (std::memcmp(h + 4, "Standard Jet DB", 16) != 0 && std::memcmp(h + 4, "Standard ACE DB", 16) != 0)
    return false;
  const uint32_t version = le32(h + 0x14);
  qint64 pageSize = 0;
  if (version == MDB_VER_JET3)
    pageSize = 2048;
  else if (version >= MDB_VER_JET4 && version <= MDB_VER_ACCDB_2019)
    pageSize = 4096;
  else
    return false;
  // The header page, the free-space page and the system catalog at least.
  return f.size() % pageSize == 0 && f.size() >= 3 * pageSize;
}

bool Database::open(const QString& path) {
  close();
  if (!looksLikeJetFile(path)) return false;
  const QByteArray name = QFile::encodeName(path);
  MdbHandle* mdb = mdb_open(name.constData(), MDB_NOFLAGS);
  if (!mdb) return false;
  const qint64 pages = QFileInfo(path).size() / mdb->fmt->pg_size;
  // The system catalog is a table like any other, defined on page 2.
  if (!tableDefinitionIsSound(mdb, pages, 2) || !mdb_read_catalog(mdb, MDB_TABLE)) {
    mdb_close(mdb);
    return false;
  }
  d_->mdb = mdb;
  d_->jet3 = mdb->f->jet_version == MDB_VER_JET3;
  d_->pages = pages;
  return true;
}

bool Database::isOpen() const { return d_->mdb != nullptr; }

void Database::close() {
  if (d_->mdb) mdb_close(d_->mdb);
  d_->mdb = nullptr;
}

std::unique_ptr<Table> Database::table(const QString& name) {
  if (!d_->mdb || !d_->mdb->catalog) return nullptr;
  const QByteArray wanted = name.toUtf8();
  for (guint i = 0; i < d_->mdb->catalog->len; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(d_->mdb->catalog, i));
    if (entry->object_type != MDB_TABLE || g_ascii_strcasecmp(entry->object_name, wanted.constData()) != 0)
      continue;
    if (!tableDefinitionIsSound(d_->mdb, d_->pages, static_cast<uint32_t>(entry->table_pg))) return nullptr;
    MdbTableDef* def = mdb_read_table(entry);
    if (!def) return nullptr;
    // The library walks the table's pages through its usage map without
    // checking that the map could be read; a damaged definition would make
    // it read through a null pointer.
    if (!def->usage_map || def->map_sz < 5) {
      mdb_free_tabledef(def);
      return nullptr;
    }
    if (!mdb_read_columns(def)) {
      mdb_free_tabledef(def);
      return nullptr;
    }
    mdb_rewind_table(def);
    auto impl = std::make_unique<Table::Impl>();
    impl->mdb = d_->mdb;
    impl->def = def;
    impl->jet3 = d_->jet3;
    return std::unique_ptr<Table>(new Table(std::move(impl)));
  }
  return nullptr;
}

// ---------------------------------------------------------------------------

Table::Table(std::unique_ptr<Impl> d) : d_(std::move(d)) {}
Table::~Table() = default;

int Table::column(const QString& name) const {
  const QByteArray wanted = name.toUtf8();
  for (int c = 0; c < int(d_->def->num_cols); ++c)
    if (g_ascii_strcasecmp(d_->col(c)->name, wanted.constData()) == 0) return c;
  return -1;
}

int64_t Table::recordCount() const { return d_->def->num_rows; }

bool Table::next() {
  if (!mdb_fetch_row(d_->def)) return false;
  ++fetched_;
  return true;
}

ValueState Table::integer(int column, int32_t& out) const {
  const MdbColumn* c = d_->col(column);
  const unsigned char* p = nullptr;
  qsizetype n = 0;
  const ValueState s = d_->raw(c, p, n);
  if (s != ValueState::Value) return s;
  switch (c->col_type) {
    case MDB_BYTE:
      out = p[0];
      return ValueState::Value;
    case MDB_INT:
      if (n < 2) return ValueState::Broken;
      out = int16_t(le16(p));
      return ValueState::Value;
    case MDB_LONGINT:
      if (n < 4) return ValueState::Broken;
      out = int32_t(le32(p));
      return ValueState::Value;
    default: {
      QString t;
      if (d_->storedText(column, t) != ValueState::Value) return ValueState::Broken;
      bool ok = false;
      const int v = t.trimmed().toInt(&ok);
      if (!ok) return ValueState::Broken;
      out = v;
      return ValueState::Value;
    }
  }
}

ValueState Table::text(int column, QString& out) const { return d_->storedText(column, out); }

ValueState Table::bytes(int column, QByteArray& out) const {
  QString t;
  const ValueState s = d_->storedText(column, t);
  if (s == ValueState::Value) out = cp1252::encode(t);
  return s;
}

}  // namespace qv::jet
