#pragma once

// The current keyword's command is not built yet: a run error that names it.
[[noreturn]] void NonDisponible();
