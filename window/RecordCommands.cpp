// The record commands of the Playtally window.
#include "window/PlaytallyDlg.h"

void CPlaytallyDlg::RemoveCommand() {}  // removes the selected record (to come)
void CPlaytallyDlg::EditCommand() {}    // edits the selected record's tag (to come)
void CPlaytallyDlg::PlayCommand() {}    // plays the selected record in the player (to come)
void CPlaytallyDlg::PathCommand() {}    // corrects the selected record's path (to come)
