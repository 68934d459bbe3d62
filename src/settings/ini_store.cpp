#include "settings/ini_store.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/flush_to_disk.h"
#include "base/number_text.h"

namespace quorvel {

namespace {

std::string lower(const std::string& text) {
  std::string result = text;
  for (char& c : result)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

std::string format(const char* pattern, auto value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

}  // namespace

IniStore::IniStore(std::string file_name) : fileName(std::move(file_name)) {}

IniStore::~IniStore() = default;

bool IniStore::sameName(const std::string& a, const std::string& b) const {
  return caseInsensitive ? lower(a) == lower(b) : a == b;
}

int IniStore::findSection(const std::string& name) const {
  for (std::size_t i = 0; i < sectionNames.size(); ++i) {
    if (sameName(sectionNames[i], name)) return static_cast<int>(i);
  }
  return -1;
}

int IniStore::findKey(const Section& section, const std::string& key) {
  const std::string wanted = lower(key);
  for (std::size_t i = 0; i < section.keys.size(); ++i) {
    if (lower(section.keys[i]) == wanted) return static_cast<int>(i);
  }
  return -1;
}

bool IniStore::load() {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return false;
  return loadFrom(in);
}

bool IniStore::loadFrom(std::istream& in) {
  std::string current;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const auto first = static_cast<unsigned char>(line[0]);
    if (first < 32 || first > 126) {
      std::printf("Failing on char %d\n", static_cast<int>(static_cast<signed char>(line[0])));
      std::fflush(stdout);
      return false;
    }
    const std::size_t mark = line.find_first_of(";#[=");
    if (mark == std::string::npos) continue;
    switch (line[mark]) {
      case '[': {
        const std::size_t close = line.rfind(']');
        if (close == std::string::npos || close <= mark) break;
        current = line.substr(mark + 1, close - mark - 1);
        sectionNames.push_back(current);
        sections.emplace_back();
        break;
      }
      case '=':
        setValue(current, line.substr(0, mark), line.substr(mark + 1), true);
        break;
      default: {
        const std::string comment = line.substr(mark + 1);
        const int section = findSection(current);
        if (sections.empty() || section < 0) {
          headerComments.push_back(comment);
        } else {
          sections[static_cast<std::size_t>(section)].comments.push_back(comment);
        }
        break;
      }
    }
  }
  return !sections.empty();
}

std::string IniStore::to_text() const {
  std::string text;
  auto line = [&](const std::string& content) { text += content + "\n"; };
  for (const std::string& comment : headerComments)
    line(";" + comment);
  if (!headerComments.empty()) line("");
  for (std::size_t s = 0; s < sections.size(); ++s) {
    line("[" + sectionNames[s] + "]");
    for (const std::string& comment : sections[s].comments)
      line(";" + comment);
    for (std::size_t k = 0; k < sections[s].keys.size(); ++k) {
      line(sections[s].keys[k] + "=" + sections[s].values[k]);
    }
    line("");
  }
  return text;
}

bool IniStore::save() const {
  // A half-written settings file would lose the user's settings: write a copy beside
  // it and put it in place only when it is complete.
  const std::string temporary = fileName + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "w");
  if (file == nullptr) return false;
  const std::string text = to_text();
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  ok = flush_to_disk(file) && ok;
  ok = std::fclose(file) == 0 && ok;
  // Unlike std::rename on Windows, this replaces a file that is there.
  std::error_code error;
  if (ok) std::filesystem::rename(temporary, fileName, error);
  ok = ok && !error;
  if (!ok) std::remove(temporary.c_str());
  return ok;
}

std::string IniStore::getValue(const std::string& section, const std::string& key,
                               const std::string& default_value) const {
  const int s = findSection(section);
  if (s < 0) return default_value;
  const Section& record = sections[static_cast<std::size_t>(s)];
  const int k = findKey(record, key);
  return k < 0 ? default_value : record.values[static_cast<std::size_t>(k)];
}

int IniStore::toInt(const std::string& text) {
  return leading_int(text);
}

double IniStore::toDouble(const std::string& text) {
  // Only a decimal number: no hexadecimal, infinity or not-a-number.
  std::size_t i = 0;
  while (i < text.size() && is_blank(text[i]))
    ++i;
  const std::size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && is_digit(text[i]))
    ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && is_digit(text[i]))
      ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && is_digit(text[j])) {
      while (j < text.size() && is_digit(text[j]))
        ++j;
      i = j;
    }
  }
  const std::string number = text.substr(start, i - start);
  return std::strtod(number.c_str(), nullptr);
}

int IniStore::getInt(const std::string& section, const std::string& key, int default_value) const {
  return toInt(getValue(section, key, format("%d", default_value)));
}

double IniStore::getDouble(const std::string& section, const std::string& key,
                           double default_value) const {
  return toDouble(getValue(section, key, format("%f", default_value)));
}

bool IniStore::getFlag(const std::string& section, const std::string& key,
                       bool default_value) const {
  return getInt(section, key, default_value ? 1 : 0) != 0;
}

bool IniStore::setValue(const std::string& section, const std::string& key,
                        const std::string& value, bool create) {
  int s = findSection(section);
  if (s < 0) {
    if (!create) return false;
    sectionNames.push_back(section);
    sections.emplace_back();
    s = static_cast<int>(sections.size()) - 1;
  }
  Section& record = sections[static_cast<std::size_t>(s)];
  const int k = findKey(record, key);
  if (k >= 0) {
    record.values[static_cast<std::size_t>(k)] = value;
    return true;
  }
  if (!create) return false;
  record.keys.push_back(key);
  record.values.push_back(value);
  return true;
}

void IniStore::setInt(const std::string& section, const std::string& key, int value) {
  setValue(section, key, format("%d", value), true);
}

void IniStore::setDouble(const std::string& section, const std::string& key, double value) {
  setValue(section, key, format("%f", value), true);
}

const std::string& IniStore::sectionName(int section_index) const {
  static const std::string none;
  if (section_index < 0 || section_index >= sectionCount()) return none;
  return sectionNames[static_cast<std::size_t>(section_index)];
}

int IniStore::keyCount(int section_index) const {
  if (section_index < 0 || section_index >= sectionCount()) return 0;
  return static_cast<int>(sections[static_cast<std::size_t>(section_index)].keys.size());
}

std::string IniStore::valueAt(int section_index, int key_index) const {
  if (key_index < 0 || key_index >= keyCount(section_index)) return "";
  return sections[static_cast<std::size_t>(section_index)]
      .values[static_cast<std::size_t>(key_index)];
}

int IniStore::keyCount(const std::string& section) const {
  return keyCount(findSection(section));
}

std::string IniStore::keyAt(const std::string& section, int key_index) const {
  const int s = findSection(section);
  if (key_index < 0 || key_index >= keyCount(s)) return "";
  return sections[static_cast<std::size_t>(s)].keys[static_cast<std::size_t>(key_index)];
}

}  // namespace quorvel
