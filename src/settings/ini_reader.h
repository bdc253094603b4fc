// Reads INI text into an IniDocument.
#pragma once

#include "settings/ini_document.h"

#include <string>
#include <string_view>

// Empties the document and fills it from INI text: key lines go to the section
// of the last header before them, key lines before any header are ignored, as
// are blank, comment and unrecognised lines.
void readIniText(std::string_view bytes, IniDocument& document);

// Empties the document and fills it from the file at the path, read as raw bytes.
// False when the path is empty or the file cannot be opened, measured or read in
// full; true otherwise, also for an empty file.
bool readIniDocument(const std::string& path, IniDocument& document);
