#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace velmora {

// Conversions between the core's UTF-8 text and paths and Qt's strings.
QString ToQString(std::string_view utf8);
std::string ToStdString(const QString& text);
QString FromPath(const std::filesystem::path& path);
std::filesystem::path ToPath(const QString& path);

}  // namespace velmora
