#pragma once

// The in-process document engine that stands in for the word processor's
// automation: applications that create documents from templates, open and
// save them, and documents with variables, form fields, bookmarks, fields,
// protection, headers and ranges over 0-based character positions. Documents
// are kept as RichDocument (docmodel.h) and saved as RTF.
//
// Failures behave as callers of a word processor expect: a failed create,
// add or open yields nullptr (with a message text in *error), other
// operations return false and leave the document as it was.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/docmodel.h"

namespace qv::engine {

class Application;
class Document;

// Protection types as the automation numbers them.
inline constexpr int kProtectionNone = -1;
inline constexpr int kProtectionFormFields = 2;

// What a new, empty text form field shows (see kEmptyFieldChar).
inline const QString kEmptyFormFieldText = QString(5, kEmptyFieldChar);

// The behaviour of the template's macros. The program installs it; run()
// hands the known macros to it with the document they run on.
using MacroHandler = std::function<void(Document* doc, const QString& macro)>;

class Document {
 public:
  Document(Application* app, std::unique_ptr<RichDocument> data, QString path, bool readOnly);
  ~Document();

  Application* application() const { return app_; }
  RichDocument& data() { return *data_; }
  const RichDocument& data() const { return *data_; }
  QString fullName() const { return path_; }
  bool readOnly() const { return readOnly_; }
  bool saved() const { return saved_; }
  void setSaved(bool s) { saved_ = s; }

  // Variables, 1-based indexes; names match without regard to case.
  int variableCount() const;
  QString variableName(int index) const;
  std::optional<QString> variableValue(const QString& name) const;
  // Adds a variable; false when one of that name exists already.
  bool addVariable(const QString& name, const QString& value = QString());
  void setVariable(const QString& name, const QString& value);
  bool deleteVariable(int index);

  // Text form fields, 1-based in document order.
  int formFieldCount() const;
  const Field* formField(int index) const;
  const Field* formField(const QString& name) const;
  // Removes the field with its result text.
  bool deleteFormField(int index);
  // Puts a text form field in place of the text start..end; returns its
  // 1-based index or 0.
  int addTextFormField(int start, int end, const QString& name, const QString& entryMacro,
                       const QString& exitMacro);
  // Sets the text a pupil typed into a form field (only the fields of a
  // protected document can be edited in the document window).
  bool setFormFieldResult(const QString& name, const QString& text);

  // All fields (form fields included), 1-based in document order.
  int fieldCount() const;
  const Field* field(int index) const;
  bool deleteField(int index);
  // Adds a field with the code text at position; MACROBUTTON fields show
  // their display text (the words after the macro name).
  int addField(int position, const QString& code);
  // Adds a field in place of the text start..end; text that is already the
  // field's display text stays as it is.
  int addField(int start, int end, const QString& code);

  int bookmarkCount() const;
  bool deleteBookmark(int index);
  void addBookmark(const QString& name, int start, int end);
  std::optional<std::pair<int, int>> bookmarkRange(const QString& name) const;

  int protectionType() const;
  // Protects with the password (stored as a hash). False when already protected.
  bool protect(int type, bool noReset, const QString& password);
  // False, and still protected, when the password is wrong.
  bool unprotect(const QString& password);

  QString author() const;
  void setAuthor(const QString& author);

  // Cell (row, column) of the first table in section 1's first-page header.
  std::optional<QString> firstPageHeaderCell(int row, int column) const;
  bool setFirstPageHeaderCell(int row, int column, const QString& text);

  // The whole story's text; a paragraph end is one character ('\r').
  QString text() const;
  int length() const;
  QString text(int start, int end) const;
  void insertBefore(int position, const QString& text);
  void setText(int start, int end, const QString& text);
  void deleteRange(int start, int end);
  std::optional<std::pair<int, int>> find(int start, int end, const QString& what) const;
  // Replaces the whole body by the body of an RTF file, or of RTF bytes.
  bool insertFile(const QString& path);
  bool insertBody(const QByteArray& rtf);
  // Inserts an RTF fragment at a position (paste of rich text).
  bool insertRtf(int position, const QByteArray& rtf);

  void setBold(int start, int end, bool on);
  void setSuperscript(int start, int end, bool on);
  void setFontSize(int start, int end, double points);
  void setLineSpacing(int start, int end, double points);
  // Bottom border of the paragraphs in start..end: line style (0 none,
  // 1 single), width in eighths of a point, colour index, distance in points.
  void setBottomBorder(int start, int end, int lineStyle, int lineWidth, int colorIndex, double distance);
  // Language "no proofing" and the no-proofing flag over a range.
  void setNoProofing(int start, int end);

  bool attachedTemplateSaved() const { return templateSaved_; }
  void setAttachedTemplateSaved(bool s) { templateSaved_ = s; }
  bool showFieldCodes() const { return showFieldCodes_; }
  void setShowFieldCodes(bool on) { showFieldCodes_ = on; }

  // The field the document window's selection is in: 1-based index into
  // the fields (form fields included), 0 for none. Macros act on it.
  int selectedField() const { return selectedField_; }
  void selectField(int index) { selectedField_ = index; }
  // Text the window shows behind the document name in its title (set by
  // macros, e.g. a pupil's name); not saved with the document.
  QString windowCaption() const { return windowCaption_; }
  void setWindowCaption(const QString& caption) { windowCaption_ = caption; }

  // Edits between beginEdit() and endEdit() make one change of the text:
  // the cursors of fields and bookmarks are told of their new places once,
  // at endEdit(), not after every single edit (with thousands of fields that
  // telling took most of a build's time). Calls nest; the text, fields and
  // bookmarks are the same as with single edits.
  void beginEdit();
  void endEdit();

  // Writes the document as RTF, completely or not at all (temporary file in
  // the target folder, then rename). The document then has that path.
  bool saveAs(const QString& path, QString* error = nullptr);
  // Closes the document; it is removed from its application.
  void close();

 private:
  QList<int> formFieldIndexes() const;

  Application* app_;
  std::unique_ptr<RichDocument> data_;
  QString path_;
  bool readOnly_;
  bool saved_ = true;
  bool templateSaved_ = false;
  bool showFieldCodes_ = false;
  int selectedField_ = 0;
  QString windowCaption_;
};

class Application {
 public:
  // Starts a new engine instance; nullptr when none can be started (the
  // environment variable QV_ENGINE_UNAVAILABLE set, for tests).
  static Application* create(QString* error = nullptr);
  // Instances started and not quit.
  static int runningCount();
  static const std::vector<Application*>& running();

  QString version() const;
  // Default path 2: the user-templates folder.
  QString userTemplatesPath() const;

  // A new document from a template: a bare file name is looked for in the
  // user-templates folder. nullptr when the template cannot be read.
  Document* addDocument(const QString& templateName, QString* error = nullptr);
  // Opens a document file; nullptr when it is missing or no document.
  Document* openDocument(const QString& path, bool readOnly = true, QString* error = nullptr);
  const std::vector<std::unique_ptr<Document>>& documents() const { return documents_; }
  Document* activeDocument() const;

  // Runs a macro of the document's template ("Document_Open", ...) on the
  // document (the active one when none is given) through the installed
  // macro handler; false when the macro is unknown.
  bool run(const QString& macro, Document* doc = nullptr);
  static void setMacroHandler(MacroHandler handler);

  // The selection in the active document: start of the story, paste of rich
  // text (the clipboard), moving right.
  void homeKey();
  bool paste(const QByteArray& rtf);
  void moveRight(int count = 1);
  int selectionPosition() const { return selection_; }

  // Files in the folder whose names match the pattern (wildcards, any case).
  QStringList fileSearch(const QString& folder, const QString& pattern) const;

  bool visible() const { return visible_; }
  void setVisible(bool v) { visible_ = v; }
  bool screenUpdating() const { return screenUpdating_; }
  void setScreenUpdating(bool on) { screenUpdating_ = on; }
  int windowState() const { return windowState_; }
  void setWindowState(int s) { windowState_ = s; }
  // 1.5 lines in points, as the automation converts it.
  static double linesToPoints(double lines) { return lines * 12.0; }

  // Ends the instance: closes its documents without saving.
  void quit();

 private:
  Application() = default;
  friend class Document;
  void removeDocument(Document* doc);

  std::vector<std::unique_ptr<Document>> documents_;
  int selection_ = 0;
  bool visible_ = false;
  bool screenUpdating_ = true;
  int windowState_ = 0;
};

}  // namespace qv::engine
