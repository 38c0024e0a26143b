#include "ombrix/pe_signature.h"

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

#include "ombrix/printable.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The content type of an Authenticode signature: SpcIndirectDataContent.
constexpr char kIndirectDataOid[] = "1.3.6.1.4.1.311.2.1.4";
constexpr uint16_t kSignedDataCertificate = 2;  // WIN_CERT_TYPE_PKCS_SIGNED_DATA
constexpr uint32_t kCertificateHeaderSize = 8;  // dwLength, wRevision, wCertificateType
constexpr uint32_t kSecurityEntry = 4;          // among the optional header's data directories

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* object) const { Free(object); }
};
template <typename T, void (*Free)(T*)>
using Owned = std::unique_ptr<T, Deleter<T, Free>>;

// The stacks' own frees are macros.
void FreeTypes(ASN1_SEQUENCE_ANY* types) {
  sk_ASN1_TYPE_pop_free(types, ASN1_TYPE_free);
}
void FreeSigners(STACK_OF(X509) * signers) {  // the certificates stay the signature's
  sk_X509_free(signers);
}

uint32_t Little(const Bytes& bytes, size_t at, size_t width) {
  uint32_t value = 0;
  for (size_t i = width; i-- > 0;) value = value << 8 | bytes[at + i];
  return value;
}

class ImageFile {
 public:
  explicit ImageFile(const std::string& path) : path_(path), in_(path, std::ios::binary) {
    if (!in_ || !in_.seekg(0, std::ios::end)) Fail();
    size_ = static_cast<uint64_t>(in_.tellg());
  }

  uint64_t Size() const { return size_; }

  // count bytes at offset, or fewer where the file ends first.
  Bytes Read(uint64_t offset, uint64_t count) {
    Bytes bytes(offset < size_ ? std::min(count, size_ - offset) : 0);
    in_.clear();
    if (!in_.seekg(static_cast<std::streamoff>(offset)) ||
        !in_.read(reinterpret_cast<char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()))) {
      Fail();
    }
    return bytes;
  }

  void Digest(EVP_MD_CTX* context, uint64_t from, uint64_t to) {
    constexpr uint64_t kChunk = 1 << 20;
    for (uint64_t at = from; at < to; at += kChunk) {
      const Bytes chunk = Read(at, std::min(kChunk, to - at));
      EVP_DigestUpdate(context, chunk.data(), chunk.size());
    }
  }

 private:
  [[noreturn]] void Fail() { throw ToolError(FormatMessage(kCannotRead, path_.c_str())); }

  std::string path_;
  std::ifstream in_;
  uint64_t size_ = 0;
};

// The places the image digest passes over: the checksum, the security directory's entry, and the
// certificate table it names.
struct SecurityDirectory {
  uint64_t checksumAt;
  uint64_t entryAt;
  uint64_t tableAt;
  uint64_t tableSize;
};

// Null for a file that is no PE image or names no certificate table.
std::optional<SecurityDirectory> FindSecurityDirectory(ImageFile& file) {
  const Bytes dos = file.Read(0, 64);
  if (dos.size() < 64 || dos[0] != 'M' || dos[1] != 'Z') return std::nullopt;
  const uint64_t pe = Little(dos, 0x3C, 4);
  const Bytes head = file.Read(pe, 24 + 112 + 8 * (kSecurityEntry + 1));
  if (head.size() < 26 || Little(head, 0, 4) != 0x00004550) return std::nullopt;  // "PE\0\0"
  const uint32_t optionalSize = Little(head, 20, 2);
  const uint32_t magic = Little(head, 24, 2);
  if (magic != 0x10B && magic != 0x20B) return std::nullopt;
  // The directories follow the fields that differ between 32-bit and 64-bit images.
  const size_t directories = 24 + (magic == 0x10B ? 96 : 112);
  const size_t entry = directories + 8 * kSecurityEntry;
  if (head.size() < entry + 8 || optionalSize < entry + 8 - 24 ||
      Little(head, directories - 4, 4) <= kSecurityEntry) {
    return std::nullopt;
  }
  const uint32_t tableAt = Little(head, entry, 4);
  const uint32_t tableSize = Little(head, entry + 4, 4);
  if (tableAt == 0 && tableSize == 0) return std::nullopt;
  return SecurityDirectory{pe + 24 + 64, pe + entry, tableAt, tableSize};
}

std::string SubjectOf(X509* certificate) {
  Owned<BIO, BIO_free_all> text(BIO_new(BIO_s_mem()));
  X509_NAME_print_ex(text.get(), X509_get_subject_name(certificate), 0,
                     XN_FLAG_ONELINE & ~XN_FLAG_SPC_EQ & ~ASN1_STRFLGS_ESC_MSB);
  char* data = nullptr;
  const long length = BIO_get_mem_data(text.get(), &data);
  return Printable(std::string(data, static_cast<size_t>(length)));
}

// The first signer's certificate among those the signature carries.
std::string SignerOf(PKCS7* signature) {
  Owned<STACK_OF(X509), FreeSigners> signers(PKCS7_get0_signers(signature, nullptr, 0));
  if (!signers || sk_X509_num(signers.get()) == 0) return {};
  return SubjectOf(sk_X509_value(signers.get(), 0));
}

// The DER of the SpcIndirectDataContent that the signature signs; empty when it holds none.
std::string_view IndirectData(PKCS7* signature) {
  if (!PKCS7_type_is_signed(signature)) return {};
  const PKCS7* content = signature->d.sign->contents;
  const Owned<ASN1_OBJECT, ASN1_OBJECT_free> expected(OBJ_txt2obj(kIndirectDataOid, 1));
  if (content == nullptr || OBJ_cmp(content->type, expected.get()) != 0 ||
      content->d.other == nullptr || content->d.other->type != V_ASN1_SEQUENCE) {
    return {};
  }
  const ASN1_STRING* der = content->d.other->value.sequence;
  return {reinterpret_cast<const char*>(der->data), static_cast<size_t>(der->length)};
}

// Its messageDigest, a DigestInfo: the algorithm and the image digest.
Owned<X509_SIG, X509_SIG_free> SignedDigest(std::string_view indirectData) {
  auto in = reinterpret_cast<const unsigned char*>(indirectData.data());
  const Owned<ASN1_SEQUENCE_ANY, FreeTypes> fields(
      d2i_ASN1_SEQUENCE_ANY(nullptr, &in, static_cast<long>(indirectData.size())));
  if (!fields || sk_ASN1_TYPE_num(fields.get()) != 2) return nullptr;
  const ASN1_TYPE* digestInfo = sk_ASN1_TYPE_value(fields.get(), 1);
  if (digestInfo->type != V_ASN1_SEQUENCE) return nullptr;
  const unsigned char* der = digestInfo->value.sequence->data;
  return Owned<X509_SIG, X509_SIG_free>(
      d2i_X509_SIG(nullptr, &der, digestInfo->value.sequence->length));
}

// Whether the signer's key signed the indirect data: the signature's message digest is of the
// content's value, without its outer tag and length.
bool SignatureVerifies(PKCS7* signature, std::string_view indirectData) {
  auto value = reinterpret_cast<const unsigned char*>(indirectData.data());
  long length = 0;
  int tag = 0;
  int tagClass = 0;
  if (ASN1_get_object(&value, &length, &tag, &tagClass, static_cast<long>(indirectData.size())) &
      0x80) {
    return false;
  }
  Owned<BIO, BIO_free_all> content(BIO_new_mem_buf(value, static_cast<int>(length)));
  return PKCS7_verify(signature, nullptr, nullptr, content.get(), nullptr, PKCS7_NOVERIFY) == 1;
}

// What is wrong with the signature of a file whose certificate table lies inside it, or nothing.
std::string CheckSignature(ImageFile& file, const SecurityDirectory& directory,
                           PeSignature& result) {
  const Bytes table = file.Read(directory.tableAt, directory.tableSize);
  const uint32_t length = Little(table, 0, 4);
  if (length < kCertificateHeaderSize || length > table.size() ||
      Little(table, 6, 2) != kSignedDataCertificate) {
    return kSignatureUnreadable;
  }
  auto der = table.data() + kCertificateHeaderSize;
  const Owned<PKCS7, PKCS7_free> signature(
      d2i_PKCS7(nullptr, &der, length - kCertificateHeaderSize));
  if (!signature) return kSignatureUnreadable;
  result.signer = SignerOf(signature.get());
  const std::string_view indirectData = IndirectData(signature.get());
  const auto signedDigest = SignedDigest(indirectData);
  if (!signedDigest) return kSignatureUnreadable;
  const X509_ALGOR* algorithm = nullptr;
  const ASN1_OCTET_STRING* expected = nullptr;
  X509_SIG_get0(signedDigest.get(), &algorithm, &expected);
  const ASN1_OBJECT* algorithmId = nullptr;
  X509_ALGOR_get0(&algorithmId, nullptr, nullptr, algorithm);
  const EVP_MD* method = EVP_get_digestbyobj(algorithmId);
  if (method == nullptr) return kSignatureUnknownDigest;

  // The image digest: every byte but the checksum, the entry and the table. Our stub's sections
  // lie end to end behind its headers, so the image's parts in section order are its bytes in
  // order.
  Owned<EVP_MD_CTX, EVP_MD_CTX_free> context(EVP_MD_CTX_new());
  EVP_DigestInit_ex(context.get(), method, nullptr);
  file.Digest(context.get(), 0, directory.checksumAt);
  file.Digest(context.get(), directory.checksumAt + 4, directory.entryAt);
  file.Digest(context.get(), directory.entryAt + 8, directory.tableAt);
  file.Digest(context.get(), directory.tableAt + directory.tableSize, file.Size());
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_DigestFinal_ex(context.get(), digest, &size);
  if (Bytes(digest, digest + size) != Bytes(expected->data, expected->data + expected->length)) {
    return FormatMessage(kSignatureDigestDiffers, EVP_MD_get0_name(method));
  }
  if (!SignatureVerifies(signature.get(), indirectData)) return kSignatureNotVerified;
  return {};
}

}  // namespace

PeSignature ReadPeSignature(const std::string& path) {
  ImageFile file(path);
  PeSignature result;
  const std::optional<SecurityDirectory> directory = FindSecurityDirectory(file);
  if (!directory) return result;
  result.status = PeSignature::kNotCovering;
  // A table that leaves the file, or overlaps the headers it is named in, was cut or moved.
  if (directory->tableAt < directory->entryAt + 8 ||
      directory->tableSize < kCertificateHeaderSize ||
      directory->tableAt + directory->tableSize > file.Size()) {
    result.problem = FormatMessage(kSignatureOutside, static_cast<unsigned long long>(file.Size()));
    return result;
  }
  result.problem = CheckSignature(file, *directory, result);
  ERR_clear_error();  // what OpenSSL queued about a signature it could not read or verify
  if (result.problem.empty()) result.status = PeSignature::kCovers;
  return result;
}

std::string DescribeSignature(const PeSignature& signature) {
  switch (signature.status) {
    case PeSignature::kUnsigned:
      return kNotSigned;
    case PeSignature::kCovers:
      return FormatMessage(kSignedBy, signature.signer.c_str());
    case PeSignature::kNotCovering:
      break;
  }
  const std::string by = signature.signer.empty() ? "" : " by " + signature.signer;
  return FormatMessage(kSignatureNotCovering, by.c_str(), signature.problem.c_str());
}
