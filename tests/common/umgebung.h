#pragma once

// The surroundings a test runs in: environment variables set for its time,
// and the folders of a program run with the shipped template in place.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QTextCharFormat>
#include <initializer_list>
#include <utility>

namespace qv::engine {
class Document;
}

namespace qvtest {

// Sets environment variables while alive (a null QByteArray unsets one);
// afterwards each has its earlier value again, or is unset as before.
class Env {
 public:
  Env(std::initializer_list<std::pair<const char*, QByteArray>> vars = {});
  ~Env();
  Env(const Env&) = delete;
  Env& operator=(const Env&) = delete;
  void set(const char* name, const QByteArray& value);

 private:
  struct Old {
    const char* name;
    QByteArray value;
    bool had;
  };
  QList<Old> old_;
};

// A program folder (log, data files) and a user-templates folder holding the
// shipped template under the name the program looks for, both set while
// alive, with the engine available.
struct Umgebung {
  QTemporaryDir program, templates, daten;  // daten: the per-user data folder
  Env env;
  Umgebung();
  QString log() const;  // the program's log file as text
};

// The format of the character at pos in the document's text.
QTextCharFormat formatAt(const qv::engine::Document& doc, int pos);
// The field index of the n-th header word (1-based); 0 when there is none.
int headerWordField(const qv::engine::Document& doc, int n);

}  // namespace qvtest
