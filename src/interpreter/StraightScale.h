#pragma once

// DROITE (horizontal) and DROITEV (vertical): the straight scale line, placed from the current 0,0
// and turned with the command's rotation, recorded in the scale state for the marks that follow.
void CmdDroite(bool verticale);
