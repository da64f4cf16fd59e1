#include "app/settings_query.h"

namespace qv {

void bindSettingsQuery(zor::fw::QueryByExample& query, zor::fw::Browse& settings,
                       zor::fw::INIManager* ini) {
  query.Init(settings, ini, kSettingsQueryName);
  // The titles are those of the list's columns.
  static const struct {
    const char* name;
    const char* title;
    const char* picture;
  } kColumns[] = {
      {"SIN:STATUS", "Status", "@n1"},
      {"UPPER(SIN:SECTIONDESCRIPTION)", "Section Description", "@s99"},
      {"UPPER(SIN:DEFAULTVALUE)", "Default Value", "@s49"},
      {"UPPER(SIN:VALUES)", "Values", "@s49"},
      {"UPPER(SIN:HELPDESCRIPTION)", "Help Description", "@s255"},
  };
  for (const auto& column : kColumns)
    query.AddQueryField(column.name, column.title, column.picture);
  settings.Query = &query;
}

}  // namespace qv
