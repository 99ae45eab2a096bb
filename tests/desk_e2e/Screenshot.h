// Saves what the screen shows as a BMP file.
#pragma once

#include <string>

// The whole screen (or the Wine virtual desktop) into a 24-bit BMP.
bool SaveScreenshot(const std::wstring& path);
