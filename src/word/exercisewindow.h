#pragma once

#include <functional>

namespace qv {

namespace engine {
class Document;
}

// The window in which the engine shows an exercise document to the teacher
// or pupil. The program installs the opener at start; without one (tests,
// command line) showing does nothing and the document stays in the engine.
using ExerciseWindowOpener = std::function<void(engine::Document*)>;
void setExerciseWindowOpener(ExerciseWindowOpener opener);
// Shows the document in a window of its own; the window takes over closing
// the document (and quitting its engine when that holds nothing else).
void ShowExerciseWindow(engine::Document* doc);

}  // namespace qv
