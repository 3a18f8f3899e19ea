#pragma once
// The file dialog's filter entry from a filter text written as a description
// and a pattern joined by "|": "STL (*.stl)|*.stl" gives "STL (*.stl)", and
// "Meshes|*.stl" gives "Meshes (*.stl)". A text without "|" is taken whole.

#include <QString>
#include <string_view>

QString Dialog_Filter(std::string_view filter_text);

// The suffix a pattern of one extension gives ("BAS (*.bas)|*.bas" gives
// "bas"); "" for any other pattern.
QString Dialog_Suffix(std::string_view filter_text);
