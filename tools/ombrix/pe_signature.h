// The Authenticode signature that a signing tool appends to a distributable after packing: who
// signed it, and whether it still covers every byte. Whether the signer's certificate chains to a
// trusted root is left to Windows, which alone knows the roots a user trusts.
#pragma once

#include <string>

struct PeSignature {
  enum Status { kUnsigned, kCovers, kNotCovering };
  Status status = kUnsigned;
  std::string signer;   // the signer certificate's subject in one line; empty when unknown
  std::string problem;  // why a signature does not cover the file
};

// Reads path's security directory and the signature it points to, and compares the file's image
// digest with the signed one. A file that is no executable, or has no security directory, is
// unsigned. Throws ToolError when the file cannot be read.
PeSignature ReadPeSignature(const std::string& path);

// One line for `info`: none, by whom, or by whom and why it no longer covers the file.
std::string DescribeSignature(const PeSignature& signature);
