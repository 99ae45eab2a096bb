// How an entry reports a broken invariant: a line on stderr, then abort.
#include <cstdio>
#include <cstdlib>

#include "fuzz/entries/FuzzEntries.h"

void FuzzCheck(bool holds, const char* what) {
  if (holds) return;
  std::fputs("fuzz invariant broken: ", stderr);
  std::fputs(what, stderr);
  std::fputs("\n", stderr);
  std::abort();
}
