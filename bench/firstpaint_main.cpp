// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up benchmark's qrb-punkte: the program exactly as app/ builds it,
// from the command line to the event loop, except that the window ends the
// program after its first paint.
#include "app/program.h"
#include "bench/end_after_first_paint.h"

int main(int argc, char* argv[]) {
    return qrb::runProgram(argc, argv, &bench::endAfterFirstPaint);
}
