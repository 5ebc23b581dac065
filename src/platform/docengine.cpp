#include "platform/docengine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>

#include "platform/filehelper.h"
#include "platform/richeditor.h"
#include "version.h"

namespace qv::engine {
namespace {

const QString& kEmptyFormField = kEmptyFormFieldText;

MacroHandler& macroHandler() {
  static MacroHandler h;
  return h;
}


std::vector<std::unique_ptr<Application>>& registry() {
  static std::vector<std::unique_ptr<Application>> apps;
  return apps;
}

std::vector<Application*>& runningList() {
  static std::vector<Application*> list;
  return list;
}

QTextCursor span(QTextDocument* doc, int start, int end) {
  const int last = std::max(0, doc->characterCount() - 1);
  start = std::clamp(start, 0, last);
  end = std::clamp(end, start, last);
  QTextCursor c(doc);
  c.setPosition(start);
  c.setPosition(end, QTextCursor::KeepAnchor);
  return c;
}

void setError(QString* error, const QString& text) {
  if (error) *error = text;
}

// Reads an RTF file into a document model; nullptr with a German reason
// ("what" + path + "unreadable", or "ist kein Dokument") when it cannot be
// read or holds no document.
std::unique_ptr<RichDocument> readDocument(const QString& path, const QString& what, const QString& unreadable,
                                           QString* error) {
  QFile f(path);
  if (!files::FileExists(path) || !f.open(QIODevice::ReadOnly)) {
    setError(error, what + path + unreadable);
    return nullptr;
  }
  // Read into room of the file's size: readAll() and read() round their
  // room up to the next power of two, up to twice the file beside the
  // document built from it. Whatever the file grew by meanwhile follows.
  QByteArray bytes(f.size(), Qt::Uninitialized);
  bytes.resize(std::max<qint64>(0, f.read(bytes.data(), bytes.size())));
  bytes += f.readAll();
  auto data = std::make_unique<RichDocument>();
  if (!data->readRtf(bytes)) {
    setError(error, what + path + QStringLiteral(" ist kein Dokument"));
    return nullptr;
  }
  return data;
}

}  // namespace

// ---- Document

Document::Document(Application* app, std::unique_ptr<RichDocument> data, QString path, bool readOnly)
    : app_(app), data_(std::move(data)), path_(std::move(path)), readOnly_(readOnly) {}

Document::~Document() = default;

int Document::variableCount() const { return static_cast<int>(data_->variables().size()); }

QString Document::variableName(int index) const {
  if (index < 1 || index > variableCount()) return {};
  return data_->variables()[index - 1].name;
}

std::optional<QString> Document::variableValue(const QString& name) const { return data_->variable(name); }

bool Document::addVariable(const QString& name, const QString& value) {
  if (name.isEmpty() || data_->variableIndex(name) >= 0) return false;
  data_->variables().append(DocVariable{name, value});
  saved_ = false;
  return true;
}

void Document::setVariable(const QString& name, const QString& value) {
  data_->setVariable(name, value);
  saved_ = false;
}

bool Document::deleteVariable(int index) {
  if (index < 1 || index > variableCount()) return false;
  data_->variables().removeAt(index - 1);
  saved_ = false;
  return true;
}

QList<int> Document::formFieldIndexes() const {
  QList<int> out;
  const auto& fields = data_->fields();
  for (int i = 0; i < fields.size(); ++i)
    if (fields[i].kind == FieldKind::FormText) out << i;
  return out;
}

int Document::formFieldCount() const { return static_cast<int>(formFieldIndexes().size()); }

const Field* Document::formField(int index) const {
  const QList<int> idx = formFieldIndexes();
  if (index < 1 || index > idx.size()) return nullptr;
  return &data_->fields()[idx[index - 1]];
}

const Field* Document::formField(const QString& name) const {
  for (const Field& f : data_->fields())
    if (f.kind == FieldKind::FormText && f.form.name.compare(name, Qt::CaseInsensitive) == 0) return &f;
  return nullptr;
}

bool Document::deleteFormField(int index) {
  const QList<int> idx = formFieldIndexes();
  if (index < 1 || index > idx.size()) return false;
  return deleteField(idx[index - 1] + 1);
}

int Document::addTextFormField(int start, int end, const QString& name, const QString& entryMacro,
                               const QString& exitMacro) {
  QTextCursor c = span(data_->body(), start, end);
  const int pos = c.selectionStart();
  c.removeSelectedText();
  FormFieldData form;
  form.name = name;
  form.entryMacro = entryMacro;
  form.exitMacro = exitMacro;
  const int at = data_->insertField(pos, QStringLiteral(" FORMTEXT "), kEmptyFormField, FieldKind::FormText, form);
  saved_ = false;
  // Its number counts the form fields up to it.
  const auto& fields = data_->fields();
  return static_cast<int>(std::count_if(fields.begin(), fields.begin() + at + 1,
                                        [](const Field& f) { return f.kind == FieldKind::FormText; }));
}

bool Document::setFormFieldResult(const QString& name, const QString& text) {
  Field* f = data_->formField(name);
  if (!f) return false;
  f->result.setText(text);
  saved_ = false;
  return true;
}

int Document::fieldCount() const { return static_cast<int>(data_->fields().size()); }

const Field* Document::field(int index) const {
  if (index < 1 || index > fieldCount()) return nullptr;
  return &data_->fields()[index - 1];
}

bool Document::deleteField(int index) {
  if (index < 1 || index > fieldCount()) return false;
  Field f = data_->fields().takeAt(index - 1);
  QTextCursor c = f.result.cursor();
  c.removeSelectedText();
  saved_ = false;
  return true;
}

namespace {
// What a field with that code shows; MACROBUTTON fields show the words
// after the macro name.
QString displayText(const QString& code, FieldKind* kind) {
  const QString trimmed = code.simplified();
  *kind = FieldKind::Other;
  if (!trimmed.startsWith(QLatin1String("MACROBUTTON "), Qt::CaseInsensitive)) return {};
  *kind = FieldKind::MacroButton;
  return trimmed.split(QLatin1Char(' ')).mid(2).join(QLatin1Char(' '));
}
}  // namespace

int Document::addField(int position, const QString& code) {
  FieldKind kind;
  const QString display = displayText(code, &kind);
  const int index = data_->insertField(position, code, display, kind);
  saved_ = false;
  return index + 1;
}

int Document::addField(int start, int end, const QString& code) {
  FieldKind kind;
  const QString display = displayText(code, &kind);
  QTextCursor c = span(data_->body(), start, end);
  saved_ = false;
  if (c.selectedText() == display) return data_->wrapField(c.selectionStart(), c.selectionEnd(), code, kind) + 1;
  const int pos = c.selectionStart();
  c.removeSelectedText();
  return data_->insertField(pos, code, display, kind) + 1;
}

int Document::bookmarkCount() const { return static_cast<int>(data_->bookmarks().size()); }

bool Document::deleteBookmark(int index) {
  if (index < 1 || index > bookmarkCount()) return false;
  data_->bookmarks().removeAt(index - 1);
  saved_ = false;
  return true;
}

void Document::addBookmark(const QString& name, int start, int end) {
  data_->setBookmark(name, start, end);
  saved_ = false;
}

std::optional<std::pair<int, int>> Document::bookmarkRange(const QString& name) const {
  for (const Bookmark& b : data_->bookmarks())
    if (b.name.compare(name, Qt::CaseInsensitive) == 0) return std::make_pair(b.range.start(), b.range.end());
  return std::nullopt;
}

int Document::protectionType() const { return static_cast<int>(data_->protection().type); }

bool Document::protect(int type, bool /*noReset: form-field contents are never reset*/, const QString& password) {
  if (data_->protection().type != ProtectionType::None) return false;
  if (type < 0 || type > 3) return false;
  data_->protect(static_cast<ProtectionType>(type), password);
  saved_ = false;
  return true;
}

bool Document::unprotect(const QString& password) {
  if (data_->protection().type == ProtectionType::None) return true;
  const bool ok = data_->unprotect(password);
  if (ok) saved_ = false;
  return ok;
}

QString Document::author() const { return data_->info().author; }

void Document::setAuthor(const QString& author) {
  data_->info().author = author;
  saved_ = false;
}

std::optional<QString> Document::firstPageHeaderCell(int row, int column) const {
  return data_->headerCellText(HeaderKind::FirstHeader, row, column);
}

bool Document::setFirstPageHeaderCell(int row, int column, const QString& text) {
  const bool ok = data_->setHeaderCellText(HeaderKind::FirstHeader, row, column, text);
  if (ok) saved_ = false;
  return ok;
}

QString Document::text() const {
  QString t = data_->body()->toRawText();
  for (QChar& c : t)
    if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) c = QLatin1Char('\r');
  return t;
}

int Document::length() const { return std::max(0, data_->body()->characterCount() - 1); }

QString Document::text(int start, int end) const {
  QString t = span(data_->body(), start, end).selectedText();
  for (QChar& c : t)
    if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) c = QLatin1Char('\r');
  return t;
}

void Document::insertBefore(int position, const QString& text) {
  QTextCursor c = span(data_->body(), position, position);
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
  const QStringList parts = t.split(QLatin1Char('\r'));
  c.beginEditBlock();
  for (qsizetype i = 0; i < parts.size(); ++i) {
    if (i > 0) c.insertBlock();
    c.insertText(parts[i]);
  }
  c.endEditBlock();
  saved_ = false;
}

void Document::setText(int start, int end, const QString& text) {
  QTextCursor c = span(data_->body(), start, end);
  const int pos = c.selectionStart();
  c.removeSelectedText();
  insertBefore(pos, text);
}

void Document::deleteRange(int start, int end) {
  QTextCursor c = span(data_->body(), start, end);
  c.removeSelectedText();
  saved_ = false;
}

std::optional<std::pair<int, int>> Document::find(int start, int end, const QString& what) const {
  if (what.isEmpty()) return std::nullopt;
  const QTextCursor found = data_->body()->find(what, std::max(0, start));
  if (found.isNull() || found.selectionEnd() > end) return std::nullopt;
  return std::make_pair(found.selectionStart(), found.selectionEnd());
}

bool Document::insertFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) && insertBody(f.readAll());
}

bool Document::insertBody(const QByteArray& rtf) {
  RichDocument other;
  if (!other.readRtf(rtf)) return false;
  // The inserted file's body replaces the body; the document keeps its
  // variables, headers and page set-up.
  data_->fields().clear();
  data_->bookmarks().clear();
  data_->body()->clear();
  QTextCursor c(data_->body());
  c.insertFragment(QTextDocumentFragment(other.body()));
  for (const Field& src : other.fields()) {
    Field copy = src;
    copy.result = TextRange(data_->body(), src.result.start(), src.result.end());
    data_->fields().append(copy);
  }
  for (const Bookmark& b : other.bookmarks()) data_->setBookmark(b.name, b.range.start(), b.range.end());
  saved_ = false;
  return true;
}

bool Document::insertRtf(int position, const QByteArray& rtf) {
  RichDocument other;
  if (!other.readRtf(rtf)) return false;
  QTextCursor c = span(data_->body(), position, position);
  c.beginEditBlock();
  if (other.endsWithParagraphMark()) {
    // The pasted paragraphs stand in front of the paragraph at the
    // position, each with its own paragraph format.
    c.insertBlock();
    c.movePosition(QTextCursor::PreviousBlock);
    c.setBlockFormat(other.body()->lastBlock().blockFormat());
  }
  c.insertFragment(QTextDocumentFragment(other.body()));
  c.endEditBlock();
  saved_ = false;
  return true;
}

void Document::beginEdit() { data_->beginEdit(); }

void Document::endEdit() { data_->endEdit(); }

void Document::setBold(int start, int end, bool on) {
  QTextCharFormat f;
  f.setFontWeight(on ? QFont::Bold : QFont::Normal);
  span(data_->body(), start, end).mergeCharFormat(f);
  saved_ = false;
}

void Document::setSuperscript(int start, int end, bool on) {
  QTextCharFormat f;
  f.setVerticalAlignment(on ? QTextCharFormat::AlignSuperScript : QTextCharFormat::AlignNormal);
  span(data_->body(), start, end).mergeCharFormat(f);
  saved_ = false;
}

void Document::setFontSize(int start, int end, double points) {
  QTextCharFormat f;
  f.setFontPointSize(points);
  span(data_->body(), start, end).mergeCharFormat(f);
  saved_ = false;
}

void Document::setLineSpacing(int start, int end, double points) {
  QTextBlockFormat f;
  // Spacing in points as a multiple of single (12 pt) lines.
  f.setLineHeight(points / 12.0 * 100.0, QTextBlockFormat::ProportionalHeight);
  span(data_->body(), start, end).mergeBlockFormat(f);
  saved_ = false;
}

void Document::setBottomBorder(int start, int end, int lineStyle, int lineWidth, int colorIndex, double distance) {
  QTextBlockFormat f;
  setBottomRule(f, lineStyle, lineWidth, colorIndex, distance);
  span(data_->body(), start, end).mergeBlockFormat(f);
  saved_ = false;
}

void Document::setNoProofing(int start, int end) {
  QTextCharFormat f;
  f.setProperty(kNoProofingProperty, true);
  span(data_->body(), start, end).mergeCharFormat(f);
  saved_ = false;
}

bool Document::saveAs(const QString& path, QString* error) {
  if (path.isEmpty()) {
    setError(error, QStringLiteral("Kein Dateiname angegeben"));
    return false;
  }
  if (!files::saveWhole(path, [this](QIODevice& out) { return data_->writeRtf(out); }, error)) return false;
  path_ = QFileInfo(path).absoluteFilePath();
  readOnly_ = false;
  saved_ = true;
  return true;
}

void Document::close() {
  if (app_) app_->removeDocument(this);  // destroys this
}

// ---- Application

Application* Application::create(QString* error) {
  if (!qEnvironmentVariableIsEmpty("QV_ENGINE_UNAVAILABLE")) {
    setError(error, QStringLiteral("Das Dokumentprogramm steht nicht zur Verfügung"));
    return nullptr;
  }
  registry().push_back(std::unique_ptr<Application>(new Application));
  runningList().push_back(registry().back().get());
  return registry().back().get();
}

int Application::runningCount() { return static_cast<int>(runningList().size()); }
const std::vector<Application*>& Application::running() { return runningList(); }

QString Application::version() const { return QString::fromLatin1(kVersionText); }

QString Application::userTemplatesPath() const { return files::userTemplatesFolder(); }

Document* Application::addDocument(const QString& templateName, QString* error) {
  QString path = templateName;
  if (QFileInfo(templateName).fileName() == templateName) {
    // A bare name is a template of the user's folder, or else the one the
    // package ships in its data folder, so that a freshly installed program
    // builds exercises before anyone has run the installer.
    path = files::JoinPath(userTemplatesPath(), templateName);
    if (!files::FileExists(path) && files::FileExists(files::dataFile(templateName)))
      path = files::dataFile(templateName);
  }
  auto data = readDocument(path, QStringLiteral("Die Vorlage "), QStringLiteral(" kann nicht gelesen werden"), error);
  if (!data) return nullptr;
  documents_.push_back(std::make_unique<Document>(this, std::move(data), QString(), false));
  documents_.back()->setSaved(false);
  selection_ = 0;
  return documents_.back().get();
}

Document* Application::openDocument(const QString& path, bool readOnly, QString* error) {
  auto data = readDocument(path, QStringLiteral("Die Datei "), QStringLiteral(" kann nicht geöffnet werden"), error);
  if (!data) return nullptr;
  documents_.push_back(
      std::make_unique<Document>(this, std::move(data), QFileInfo(path).absoluteFilePath(), readOnly));
  selection_ = 0;
  return documents_.back().get();
}

Document* Application::activeDocument() const { return documents_.empty() ? nullptr : documents_.back().get(); }

bool Application::run(const QString& macro, Document* doc) {
  static const QStringList known = {QStringLiteral("Document_Open"), QStringLiteral("Got_Focus"),
                                    QStringLiteral("Lost_Focus"), QStringLiteral("MarkSingleField")};
  if (!known.contains(macro, Qt::CaseInsensitive)) return false;
  if (!doc) doc = activeDocument();
  if (doc && macroHandler()) macroHandler()(doc, macro);
  return true;
}

void Application::setMacroHandler(MacroHandler handler) { macroHandler() = std::move(handler); }

void Application::homeKey() { selection_ = 0; }

bool Application::paste(const QByteArray& rtf) {
  Document* doc = activeDocument();
  if (!doc) return false;
  const int before = doc->length();
  if (!doc->insertRtf(selection_, rtf)) return false;
  selection_ += doc->length() - before;
  return true;
}

void Application::moveRight(int count) {
  Document* doc = activeDocument();
  selection_ = std::clamp(selection_ + count, 0, doc ? doc->length() : 0);
}

QStringList Application::fileSearch(const QString& folder, const QString& pattern) const {
  QStringList out;
  const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern),
                              QRegularExpression::CaseInsensitiveOption);
  const QDir dir(folder);
  for (const QFileInfo& fi : dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name))
    if (re.match(fi.fileName()).hasMatch()) out << fi.absoluteFilePath();
  return out;
}

void Application::removeDocument(Document* doc) {
  for (auto it = documents_.begin(); it != documents_.end(); ++it)
    if (it->get() == doc) {
      documents_.erase(it);
      return;
    }
}

void Application::quit() {
  documents_.clear();
  auto& list = runningList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  auto& reg = registry();
  for (auto it = reg.begin(); it != reg.end(); ++it)
    if (it->get() == this) {
      reg.erase(it);  // destroys this; nothing may follow
      return;
    }
}

}  // namespace qv::engine
