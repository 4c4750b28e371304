// The kalimber program: one run, then idle with the output left on the
// console until the process is interrupted, terminated or its console closed.
#include "header/platform.h"
#include "run/run.h"

int main() {
    kalimber::Run();
    kalimber::IdleForever();
}
