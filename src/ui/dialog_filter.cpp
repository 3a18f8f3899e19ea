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

QString Dialog_Suffix(std::string_view filter_text) {
  size_t bar = filter_text.find('|');
  std::string_view pattern = bar == std::string_view::npos ? std::string_view() : filter_text.substr(bar + 1);
  if (pattern.size() < 3 || pattern.substr(0, 2) != "*.") return {};
  std::string_view suffix = pattern.substr(2);
  if (suffix.find_first_of("*?[]. ;") != std::string_view::npos) return {};
  return QString::fromUtf8(suffix.data(), static_cast<qsizetype>(suffix.size()));
}
