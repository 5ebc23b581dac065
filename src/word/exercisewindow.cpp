#include "word/exercisewindow.h"

#include <utility>

namespace qv {

namespace {
ExerciseWindowOpener& opener() {
  static ExerciseWindowOpener o;
  return o;
}
}  // namespace

void setExerciseWindowOpener(ExerciseWindowOpener o) { opener() = std::move(o); }

void ShowExerciseWindow(engine::Document* doc) {
  if (doc && opener()) opener()(doc);
}

}  // namespace qv
