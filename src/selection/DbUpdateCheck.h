#pragma once
// The question the data selection asks the database upgrade: does a company data set of this
// version need an upgrade? The upgrade lives in a layer the selection may not include, so the
// program installs a factory at start-up (one checker per dialog, created with it and freed
// with it); tests install one answering from a table. Without a factory no data set is ever
// reported as needing an upgrade beyond what the data list already says.
#include <functional>
#include <memory>
#include <string>

class IDbUpdateCheck {
 public:
  virtual ~IDbUpdateCheck() = default;
  // Mode 1 means company data; VersionText is "%d.%d.%d" (anything else counts as 0.0.0).
  // Resets the checker and sets the pending flag when a newer upgrade step exists.
  virtual void PrepareUpdate(int Mode, const std::string& VersionText) = 0;
  // The flag of the last PrepareUpdate.
  virtual bool UpdatePending() const = 0;
};

using TDbUpdateCheckFactory = std::function<std::unique_ptr<IDbUpdateCheck>()>;

// Installed by the program's start-up; empty until then.
extern TDbUpdateCheckFactory DbUpdateCheckFactory;
