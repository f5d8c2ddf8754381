#pragma once

#include <initializer_list>
#include <string>
#include <vector>

// Where the software backend finds the files it is asked for by name: a name is tried as given
// (relative to the working directory, or absolute), then inside each added folder in the order
// the folders were added. With suffixes, each candidate name is tried with each suffix in turn.
class softSearchPath {
public:
  void add(const char* folder);
  // The first candidate that is a regular file, or false when there is none.
  bool find(const std::string& name, std::initializer_list<const char*> suffixes,
            std::string* path) const;

private:
  std::vector<std::string> m_folders;
};

// Reads a whole text file and ends it with a NUL, ready for the engine's Parser.
bool softReadText(const std::string& path, std::vector<char>* text);

// The folder part of a path, with its trailing separator ("" for a bare name).
std::string softFolderOf(const std::string& path);

// True when a token of a descriptor opens a comment ("#" or "//"), which runs to the line's end.
bool softIsComment(const char* token);
