#pragma once
// The ports a user may pick: numbers 1 to 50 whose device exists through the port mapping
// (a port in use by another program counts as existing).
#include <functional>
#include <string>
#include <vector>

namespace quillon::serial {

inline constexpr int kSelectablePorts = 50;

std::vector<int> existingComPorts(const std::string& dataFolder);

// The list entries ("COM3") and the number chosen from an entry (0 when it names none).
std::string portEntryText(int comNumber);
int portNumberOfEntry(const std::string& entry);

// Asks the user to pick a port; returns the number, or 0 when cancelled. The GUI installs
// its "Select Port" dialog; without one (headless) nothing is picked.
using PortPrompt = std::function<int(const std::vector<int>& existing)>;
void setPortPrompt(PortPrompt prompt);
int promptForPort(const std::string& dataFolder);

}  // namespace quillon::serial
