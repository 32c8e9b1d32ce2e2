// The shape, curve and plot commands are not built yet: each ends the run with a run error that
// names the command, never silently.
#include "commands/Commands.h"

