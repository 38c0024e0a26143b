// `pack --sign-cert C --sign-key K`: the distributable signed with Debian's osslsigncode before it
// takes its name, so that a failed signing leaves no unsigned file in its place.
#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "ombrix/packer.h"

struct SigningOptions {
  std::string certPath;  // PEM or DER certificate, with any intermediates after it
  std::string keyPath;   // the certificate's private key, unencrypted
};

// Adds the two options, which go together and mean nothing with plain.
void AddSigningOptions(CLI::App& pack, SigningOptions& signing, CLI::Option* plain);

// When signing was asked for: checks that osslsigncode and both files are there before anything is
// packed, and has the packer sign its output before committing it. Throws ToolError.
void ArrangeSigning(const std::shared_ptr<const SigningOptions>& signing, PackOptions& options);
