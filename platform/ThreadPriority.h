#pragma once
// The calling thread's priority, for the helper threads of the show (the
// decoder, the folder walk) that must give way to the window's thread and
// the transition's worker on a busy machine.

namespace vantora {

// Makes the calling thread `steps` nice values nicer than it is (at most 19).
// Only this thread changes; a thread it starts later begins at its value.
void MakeThisThreadNicer(int steps);

}  // namespace vantora
