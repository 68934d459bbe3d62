#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quorvel {

// A settings file held in memory: sections of keys with text values, and comments.
// Names compare without regard to case; the first match wins. Numbers are converted on
// every read and write.
class IniStore {
 public:
  explicit IniStore(std::string file_name = "");
  virtual ~IniStore();

  void setFileName(const std::string& file_name) { fileName = file_name; }
  // Comment lines written above the first section.
  void setHeaderComments(std::vector<std::string> comments) {
    headerComments = std::move(comments);
  }
  const std::string& getFileName() const { return fileName; }

  // Adds what the file holds to the store; false when it cannot be read, when a line
  // starts with a character that is not printable ASCII (the lines before it stay), or
  // when no section results.
  bool load();
  // The same from text that is not a file, such as settings built into the program.
  bool loadFrom(std::istream& in);
  // Writes the whole store in the fixed layout. The file is replaced only once the new
  // content is completely written.
  bool save() const;
  // That layout as text.
  std::string to_text() const;

  std::string getValue(const std::string& section, const std::string& key,
                       const std::string& default_value) const;
  int getInt(const std::string& section, const std::string& key, int default_value) const;
  double getDouble(const std::string& section, const std::string& key, double default_value) const;
  bool getFlag(const std::string& section, const std::string& key, bool default_value) const;

  bool setValue(const std::string& section, const std::string& key, const std::string& value,
                bool create);
  void setInt(const std::string& section, const std::string& key, int value);
  void setDouble(const std::string& section, const std::string& key, double value);

  int sectionCount() const { return static_cast<int>(sections.size()); }
  const std::string& sectionName(int section_index) const;
  int keyCount(int section_index) const;
  std::string valueAt(int section_index, int key_index) const;
  int keyCount(const std::string& section) const;
  std::string keyAt(const std::string& section, int key_index) const;

  // Text conversions as every read applies them: leading blanks, a sign, then digits
  // (or a decimal real); 0 when nothing converts.
  static int toInt(const std::string& text);
  static double toDouble(const std::string& text);

 private:
  struct Section {
    std::vector<std::string> keys;
    std::vector<std::string> values;
    std::vector<std::string> comments;
  };

  int findSection(const std::string& name) const;
  static int findKey(const Section& section, const std::string& key);
  bool sameName(const std::string& a, const std::string& b) const;

  bool caseInsensitive = true;
  std::string fileName;
  std::vector<Section> sections;
  std::vector<std::string> sectionNames;
  std::vector<std::string> headerComments;
};

}  // namespace quorvel
