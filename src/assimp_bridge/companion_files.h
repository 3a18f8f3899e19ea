#pragma once
// The files an input names, as the library asks for them: each name goes
// through Resolve_Companion (core/companion_path.h), so nothing outside the
// input's folder is opened, for every format and every kind of file (glTF
// buffers and images, an OBJ's material library, textures, any other
// reference). Only regular files are read, each whole into memory, and each
// lets the reading run apart take memory and time in proportion to its size
// (Widen_Isolation_Limits). `data:` URIs never reach here: the library
// decodes them itself.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <assimp/IOSystem.hpp>

class Companion_Files final : public Assimp::IOSystem {
 public:
  explicit Companion_Files(std::string folder) : folder_(std::move(folder)) {}

  bool Exists(const char* name) const override;
  char getOsSeparator() const override { return '/'; }
  Assimp::IOStream* Open(const char* name, const char* mode) override;
  void Close(Assimp::IOStream* stream) override;
  // Reading never makes, changes into or removes a folder or a file.
  bool CreateDirectory(const std::string&) override { return false; }
  bool ChangeDirectory(const std::string&) override { return false; }
  bool DeleteFile(const std::string&) override { return false; }

  // Why the first refused name was refused ("" when none was).
  const std::string& First_Refusal() const { return first_refusal_; }
  // The name of a file read here whose bytes `message` quotes (twelve bytes
  // in a row or more), or "" when it quotes none: such a message must not
  // be shown, since it would pass the file's contents on.
  std::string Quoted_File(std::string_view message) const;

 private:
  std::string Resolve(const char* name) const;

  struct Held_File {
    std::string name;
    std::string bytes;
  };
  std::string folder_;
  mutable std::string first_refusal_;
  std::vector<std::unique_ptr<Held_File>> held_;
};
