#pragma once

// SECT (outlined) and SECTP (filled): a zone of the current scale between two values and two
// distances. The chain checks that a scale line was drawn before calling it. A scale of no extent
// is a run error.
void CmdSect(int niveau, bool plein);
