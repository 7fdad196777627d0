#pragma once
// Giving back the disk space of a store whose content shrank. A save replaces the dimension's
// rows in place, so a small calendar saved over a large one leaves the file as large as
// before, its freed pages kept for later use. When more than a quarter of the file is free
// the store is rebuilt in one transaction (SQLite's VACUUM with a rollback journal synced to
// disk): a crash meanwhile leaves the saved content whole, as a save does.

#include <QString>

namespace annalex::wizard {

// True when the store was rebuilt; false when it had little to give back, or when it could not
// be rebuilt now (another program holds it, the disk is full), which leaves it as it was.
bool compactStore(const QString& path);

}  // namespace annalex::wizard
