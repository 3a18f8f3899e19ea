#include "ui/dialog_filter.h"

QString Dialog_Filter(std::string_view filter_text) {
  size_t bar = filter_text.find('|');
  if (bar == std::string_view::npos) return QString::fromUtf8(filter_text.data(), filter_text.size());
  QString description = QString::fromUtf8(filter_text.data(), bar);
  std::string_view rest = filter_text.substr(bar + 1);
  QString pattern = QString::fromUtf8(rest.data(), rest.size());
  if (description.endsWith("(" + pattern + ")")) return description;
  return description + " (" + pattern + ")";
}
