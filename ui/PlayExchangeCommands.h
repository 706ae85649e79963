// "Export plays..." and "Import plays...", as the Extras page and the tray menu run them: the
// common file dialog with the formats as its filter, then the export or import itself.
#pragma once
#include <windows.h>

#include <string>

#include "exchange/PlayExchange.h"

class CDoc;

// The format a chosen file is written in: the one its extension names (.json, .log, .csv), else
// the one of the filter chosen in the dialog (from 1, in the order of the filter string 2232).
PlayFormat exportFormatOf(const std::string& path, int filterIndex);

// Offers the dated default name of a ListenBrainz export; false when the user cancelled.
bool exportPlaysCommand(HWND owner, CDoc& doc);
// The result of the import (not applied when the user cancelled the dialog).
ImportResult importPlaysCommand(HWND owner, CDoc& doc);
