#include "settings/settings_profile.h"

#include <algorithm>
#include <stdexcept>

#include "settings/machine_settings.h"
#include "text/number_format.h"
#include "text/parse.h"

namespace kelvora::settings {
namespace {

constexpr std::string_view kDlgKey = "Dlg";

Settings::Value DefaultValue(const SettingsKey& k) {
  switch (k.type) {
    case KeyType::kBool:
      return k.defaultText == "True";
    case KeyType::kInt:
      return text::ParseInt32(k.defaultText).value_or(0);
    case KeyType::kDouble:
      return text::ParseDouble(k.defaultText).value_or(0.0);
    case KeyType::kString:
      return std::string(k.defaultText);
  }
  return std::string();
}

// The count box of the circle job holds a 16-bit number; the others 32-bit.
bool IsInt16Box(const SettingsKey& k) {
  return k.key == "Cirn";
}

Settings::Value ReadValue(const XMLNetProfile& profile, const SettingsKey& k,
                          const Settings::Value& fallback) {
  switch (k.type) {
    case KeyType::kBool:
      return profile.ReadBool(k.key, std::get<bool>(fallback));
    case KeyType::kInt:
      return profile.ReadInt(k.key, std::get<int>(fallback));
    case KeyType::kDouble:
      return profile.ReadDouble(k.key, std::get<double>(fallback));
    case KeyType::kString:
      return profile.ReadString(k.key, std::get<std::string>(fallback));
  }
  return fallback;
}

// A number key whose element is there but whose text the key's reader does not
// take: the key then holds its default.
bool StoredNumberUnreadable(const XMLNetProfile& profile, const SettingsKey& k) {
  if (k.type != KeyType::kInt && k.type != KeyType::kDouble) return false;
  const auto stored = profile.EntryText(k.key);
  if (!stored) return false;
  return k.type == KeyType::kInt ? !text::ParseInt32(*stored).has_value()
                                 : !text::ParseDouble(*stored).has_value();
}

void WriteValue(XMLNetProfile& profile, const SettingsKey& k, const Settings::Value& value) {
  switch (k.type) {
    case KeyType::kBool:
      profile.WriteBool(k.key, std::get<bool>(value));
      return;
    case KeyType::kInt:
      profile.WriteInt(k.key, std::get<int>(value));
      return;
    case KeyType::kDouble:
      profile.WriteDouble(k.key, std::get<double>(value));
      return;
    case KeyType::kString:
      profile.WriteString(k.key, std::get<std::string>(value));
      return;
  }
}

}  // namespace

Settings::Settings() {
  for (const SettingsKey& k : SettingsKeys()) values_.push_back(DefaultValue(k));
}

std::size_t Settings::IndexOf(std::string_view key) const {
  const auto keys = SettingsKeys();
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].key == key) return i;
  }
  // Keys come from the table; any other name is a programming error.
  throw std::out_of_range("unknown settings key " + std::string(key));
}

const Settings::Value& Settings::Get(std::string_view key) const {
  return values_[IndexOf(key)];
}

bool Settings::Bool(std::string_view key) const {
  return std::get<bool>(Get(key));
}
int Settings::Int(std::string_view key) const {
  return std::get<int>(Get(key));
}
double Settings::Double(std::string_view key) const {
  return std::get<double>(Get(key));
}
const std::string& Settings::String(std::string_view key) const {
  return std::get<std::string>(Get(key));
}

void Settings::SetBool(std::string_view key, bool value) {
  std::get<bool>(values_[IndexOf(key)]) = value;
}
void Settings::SetInt(std::string_view key, int value) {
  std::get<int>(values_[IndexOf(key)]) = value;
}
void Settings::SetDouble(std::string_view key, double value) {
  std::get<double>(values_[IndexOf(key)]) = value;
}
void Settings::SetString(std::string_view key, std::string value) {
  std::get<std::string>(values_[IndexOf(key)]) = std::move(value);
}

std::string Settings::ControlText(std::string_view key) const {
  const std::size_t i = IndexOf(key);
  const SettingsKey& k = SettingsKeys()[i];
  const Value& v = values_[i];
  switch (k.type) {
    case KeyType::kBool:
      return std::get<bool>(v) ? "True" : "False";
    case KeyType::kString:
      return std::get<std::string>(v);
    case KeyType::kInt:
    case KeyType::kDouble:
      break;
  }
  const double number =
      k.type == KeyType::kInt ? static_cast<double>(std::get<int>(v)) : std::get<double>(v);
  if (const auto format = text::NumberFormatFromPattern(k.format)) {
    return text::FormatNumber(number, *format);
  }
  // Values without a display pattern (the language index) keep their stored form.
  return k.type == KeyType::kInt ? ProfileIntText(std::get<int>(v)) : ProfileDoubleText(number);
}

bool Settings::SetFromControlText(std::string_view key, std::string_view text) {
  const std::size_t i = IndexOf(key);
  const SettingsKey& k = SettingsKeys()[i];
  Value& v = values_[i];
  switch (k.type) {
    case KeyType::kBool:
      v = text == "True";
      return true;
    case KeyType::kString:
      v = std::string(text);
      return true;
    case KeyType::kInt: {
      std::optional<int> n;
      if (IsInt16Box(k)) {
        if (const auto n16 = text::ParseInt16(text)) n = *n16;
      } else {
        n = text::ParseInt32(text);
      }
      if (!n) return false;
      v = *n;
      return true;
    }
    case KeyType::kDouble: {
      const auto d = text::ParseDouble(text);
      if (!d) return false;
      v = *d;
      return true;
    }
  }
  return false;
}

std::vector<const SettingsKey*> FirstOpeningReadOrder() {
  std::vector<const SettingsKey*> order;
  for (const SettingsKey& k : SettingsKeys()) {
    if (k.key != kDlgKey) order.push_back(&k);
  }
  // In the circle and grid groups the spindle switch is read before the
  // special-operation switch that the table lists first.
  const auto swapReads = [&order](std::string_view spin, std::string_view special) {
    const auto at = [&order](std::string_view key) {
      return std::find_if(order.begin(), order.end(),
                          [key](const SettingsKey* k) { return k->key == key; });
    };
    auto s = at(spin);
    auto o = at(special);
    if (s != order.end() && o != order.end() && o < s) std::iter_swap(s, o);
  };
  swapReads("CirEnSpin", "CirEnSpecialOp");
  swapReads("GridEnSpin", "GridEnSpecialOp");
  return order;
}

StartUpResult SettingsStartUp(const std::string& profilePath, const MessageSink& messages) {
  StartUpResult result;
  XMLNetProfile own(profilePath, std::string(kSectionName), true, messages);
  own.Load();
  result.enableDlg = own.ReadBool(kDlgKey, true);

  XMLNetProfile plugIns(profilePath, std::string(kPlugInsSection), true, messages);
  if (plugIns.Load()) {
    if (plugIns.ReadInt(kSectionName, 0) == 0) plugIns.WriteInt(kSectionName, 1);
    result.registered = plugIns.Save();
  }
  return result;
}

FirstOpeningRead SettingsFirstOpening(const std::string& profilePath, const MessageSink& messages) {
  FirstOpeningRead read;
  XMLNetProfile profile(profilePath, std::string(kSectionName), true, messages);
  if (!profile.Load()) read.failure = profile.LastError();
  // A failed load leaves an empty document, so every key reads as its default.
  Settings& s = read.settings;
  for (const SettingsKey* k : FirstOpeningReadOrder()) {
    if (StoredNumberUnreadable(profile, *k)) read.unreadable.emplace_back(k->key);
    const Settings::Value value = ReadValue(profile, *k, s.Get(k->key));
    switch (k->type) {
      case KeyType::kBool:
        s.SetBool(k->key, std::get<bool>(value));
        break;
      case KeyType::kInt:
        s.SetInt(k->key, std::get<int>(value));
        break;
      case KeyType::kDouble:
        s.SetDouble(k->key, std::get<double>(value));
        break;
      case KeyType::kString:
        s.SetString(k->key, std::get<std::string>(value));
        break;
    }
  }
  return read;
}

std::optional<std::string> UnreadableSettingsMessage(const FirstOpeningRead& read) {
  if (read.unreadable.empty()) return std::nullopt;
  std::string text = "These settings could not be read and were set to their defaults: ";
  for (std::size_t i = 0; i < read.unreadable.size(); ++i) {
    if (i > 0) text += ", ";
    text += read.unreadable[i];
  }
  return text;
}

bool SettingsShutdown(const std::string& profilePath, const ShutdownState& state,
                      const MessageSink& messages) {
  XMLNetProfile profile(profilePath, std::string(kSectionName), true, messages);
  if (!profile.Load()) return false;
  if (state.dialogExists) {
    profile.WriteBool(kDlgKey, state.dialogVisible);
    if (state.settings) {
      for (const SettingsKey& k : SettingsKeys()) {
        if (k.key == kDlgKey) continue;
        WriteValue(profile, k, state.settings->Get(k.key));
      }
    }
  }
  if (state.machine) {
    Settings machine;
    StoreMachine(*state.machine, machine);
    for (const InputRow& k : InputsOf(JobInputs::kMachine)) {
      WriteValue(profile, k, machine.Get(k.key));
    }
  }
  return profile.Save();
}

}  // namespace kelvora::settings
