#include "signature.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "package/byte_io.h"

namespace velpack {

namespace {

using velumar::package::ByteReader;

constexpr size_t kNewHeaderPointerAt = 0x3C;
constexpr size_t kCoffHeaderSize = 20;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr size_t kDirectoriesAtPe32 = 96;
constexpr size_t kDirectoriesAtPe32Plus = 112;
constexpr size_t kCertificateDirectory = 4;
constexpr uint16_t kCertificateRevision2 = 0x0200;
constexpr uint16_t kPkcsSignedData = 0x0002;
constexpr size_t kWinCertificateHeader = 8;

// One DER element: its tag, and where its contents lie.
struct Element {
    uint8_t tag = 0;
    std::span<const uint8_t> contents;
    std::span<const uint8_t> whole;  // tag, length and contents
};

// Reads the elements of a DER encoding one after another, refusing lengths that leave it.
class DerReader {
  public:
    explicit DerReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool atEnd() const { return at_ >= bytes_.size(); }

    std::optional<Element> next() {
        if (bytes_.size() - at_ < 2) return std::nullopt;
        const size_t start = at_;
        const uint8_t tag = bytes_[at_++];
        if ((tag & 0x1F) == 0x1F) return std::nullopt;  // high tag numbers: not in a signature
        size_t length = bytes_[at_++];
        if (length & 0x80) {
            const size_t count = length & 0x7F;
            if (count == 0 || count > 4 || bytes_.size() - at_ < count) return std::nullopt;
            length = 0;
            for (size_t i = 0; i < count; ++i) length = (length << 8) | bytes_[at_++];
        }
        if (length > bytes_.size() - at_) return std::nullopt;
        Element element{tag, bytes_.subspan(at_, length),
                        bytes_.subspan(start, at_ - start + length)};
        at_ += length;
        return element;
    }

    // The next element if it has this tag; nothing (and the reader unmoved) otherwise.
    std::optional<Element> next(uint8_t tag) {
        const size_t start = at_;
        std::optional<Element> element = next();
        if (element && element->tag == tag) return element;
        at_ = start;
        return std::nullopt;
    }

  private:
    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
};

constexpr uint8_t kInteger = 0x02;
constexpr uint8_t kOid = 0x06;
constexpr uint8_t kSequence = 0x30;
constexpr uint8_t kSet = 0x31;
constexpr uint8_t kContext0 = 0xA0;  // also SignedData's [0] IMPLICIT SET OF Certificate
constexpr uint8_t kContext1 = 0xA1;

std::string dotted(std::span<const uint8_t> oid) {
    if (oid.empty()) return "?";
    std::string text = std::to_string(oid[0] / 40) + "." + std::to_string(oid[0] % 40);
    uint64_t value = 0;
    for (size_t i = 1; i < oid.size(); ++i) {
        value = (value << 7) | (oid[i] & 0x7F);
        if (!(oid[i] & 0x80)) {
            text += "." + std::to_string(value);
            value = 0;
        }
        if (value > (uint64_t(1) << 56)) return text + ".?";
    }
    return text;
}

std::string_view attributeName(const std::string& oid) {
    if (oid == "2.5.4.3") return "CN";
    if (oid == "2.5.4.6") return "C";
    if (oid == "2.5.4.7") return "L";
    if (oid == "2.5.4.8") return "ST";
    if (oid == "2.5.4.10") return "O";
    if (oid == "2.5.4.11") return "OU";
    if (oid == "1.2.840.113549.1.9.1") return "emailAddress";
    return {};
}

// A directory string as UTF-8: BMPString is UTF-16BE, the others are taken as they are, with
// control characters shown as "?".
std::string stringValue(const Element& value) {
    std::string text;
    if (value.tag == 0x1E) {
        for (size_t i = 0; i + 1 < value.contents.size(); i += 2) {
            const unsigned unit = unsigned(value.contents[i]) << 8 | value.contents[i + 1];
            if (unit < 0x20)
                text += '?';
            else if (unit < 0x80)
                text += char(unit);
            else if (unit < 0x800) {
                text += char(0xC0 | unit >> 6);
                text += char(0x80 | (unit & 0x3F));
            } else {
                text += char(0xE0 | unit >> 12);
                text += char(0x80 | ((unit >> 6) & 0x3F));
                text += char(0x80 | (unit & 0x3F));
            }
        }
        return text;
    }
    for (uint8_t byte : value.contents) text += byte < 0x20 || byte == 0x7F ? '?' : char(byte);
    return text;
}

// A Name (a sequence of sets of attribute type and value) as "CN=..., O=...".
std::optional<std::string> nameText(const Element& name) {
    if (name.tag != kSequence) return std::nullopt;
    std::string text;
    DerReader parts(name.contents);
    while (!parts.atEnd()) {
        const std::optional<Element> set = parts.next(kSet);
        if (!set) return std::nullopt;
        DerReader attributes(set->contents);
        while (!attributes.atEnd()) {
            const std::optional<Element> attribute = attributes.next(kSequence);
            if (!attribute) return std::nullopt;
            DerReader fields(attribute->contents);
            const std::optional<Element> type = fields.next(kOid);
            const std::optional<Element> value = fields.next();
            if (!type || !value) return std::nullopt;
            const std::string oid = dotted(type->contents);
            const std::string_view known = attributeName(oid);
            text += (text.empty() ? "" : ", ") + (known.empty() ? oid : std::string(known)) + "=" +
                    stringValue(*value);
        }
    }
    return text;
}

struct Certificate {
    Element issuer;
    Element serial;
    Element subject;
};

// The issuer, serial number and subject of an X.509 certificate.
std::optional<Certificate> readCertificate(const Element& certificate) {
    if (certificate.tag != kSequence) return std::nullopt;
    DerReader outer(certificate.contents);
    const std::optional<Element> tbs = outer.next(kSequence);
    if (!tbs) return std::nullopt;
    DerReader fields(tbs->contents);
    fields.next(kContext0);  // version, when not 1
    const std::optional<Element> serial = fields.next(kInteger);
    const std::optional<Element> algorithm = fields.next(kSequence);
    const std::optional<Element> issuer = fields.next(kSequence);
    const std::optional<Element> validity = fields.next(kSequence);
    const std::optional<Element> subject = fields.next(kSequence);
    if (!serial || !algorithm || !issuer || !validity || !subject) return std::nullopt;
    return Certificate{*issuer, *serial, *subject};
}

bool sameBytes(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

// The signer's subject and issuer in a PKCS #7 ContentInfo of SignedData.
SignatureInfo readSignedData(std::span<const uint8_t> der) {
    SignatureInfo info;
    info.present = true;
    const auto unreadable = [&](const char* what) {
        info.problem = std::string("the signature cannot be read: ") + what;
        return info;
    };
    DerReader top(der);
    const std::optional<Element> contentInfo = top.next(kSequence);
    if (!contentInfo) return unreadable("no PKCS #7 content");
    DerReader content(contentInfo->contents);
    const std::optional<Element> type = content.next(kOid);
    if (!type || dotted(type->contents) != "1.2.840.113549.1.7.2")
        return unreadable("not PKCS #7 signed data");
    const std::optional<Element> explicitContent = content.next(kContext0);
    if (!explicitContent) return unreadable("no signed data");
    DerReader wrapped(explicitContent->contents);
    const std::optional<Element> signedData = wrapped.next(kSequence);
    if (!signedData) return unreadable("no signed data");
    DerReader fields(signedData->contents);
    const std::optional<Element> version = fields.next(kInteger);
    const std::optional<Element> digests = fields.next(kSet);
    const std::optional<Element> signedContent = fields.next(kSequence);
    if (!version || !digests || !signedContent) return unreadable("a broken signed data");
    std::vector<Certificate> certificates;
    if (const std::optional<Element> list = fields.next(kContext0)) {
        DerReader each(list->contents);
        while (!each.atEnd()) {
            const std::optional<Element> certificate = each.next();
            if (!certificate) return unreadable("a broken certificate list");
            if (const std::optional<Certificate> read = readCertificate(*certificate))
                certificates.push_back(*read);
        }
    }
    fields.next(kContext1);  // revocation lists
    const std::optional<Element> signers = fields.next(kSet);
    if (!signers) return unreadable("no signer");
    DerReader signerList(signers->contents);
    const std::optional<Element> signer = signerList.next(kSequence);
    if (!signer) return unreadable("no signer");
    DerReader signerFields(signer->contents);
    signerFields.next(kInteger);
    const std::optional<Element> issuerAndSerial = signerFields.next(kSequence);
    if (!issuerAndSerial) return unreadable("the signer names no certificate");
    DerReader names(issuerAndSerial->contents);
    const std::optional<Element> issuer = names.next(kSequence);
    const std::optional<Element> serial = names.next(kInteger);
    if (!issuer || !serial) return unreadable("the signer names no certificate");
    for (const Certificate& certificate : certificates) {
        if (!sameBytes(certificate.issuer.whole, issuer->whole) ||
            !sameBytes(certificate.serial.contents, serial->contents)) {
            continue;
        }
        const std::optional<std::string> subject = nameText(certificate.subject);
        const std::optional<std::string> issuerText = nameText(certificate.issuer);
        if (!subject || !issuerText) return unreadable("a broken certificate name");
        info.signer = *subject;
        info.issuer = *issuerText;
        return info;
    }
    return unreadable("the signer's certificate is not in the signature");
}

}  // namespace

SignatureInfo readSignature(std::span<const uint8_t> file) {
    SignatureInfo none;
    if (file.size() < kNewHeaderPointerAt + 4 || file[0] != 'M' || file[1] != 'Z') return none;
    ByteReader pointer(file.subspan(kNewHeaderPointerAt));
    const uint32_t peAt = pointer.u32();
    if (peAt > file.size() || file.size() - peAt < 4 + kCoffHeaderSize + 2) return none;
    ByteReader pe(file.subspan(peAt));
    if (pe.u32() != 0x00004550) return none;  // "PE\0\0"
    pe.skip(16);
    const uint16_t optionalSize = pe.u16();
    const size_t optionalAt = size_t(peAt) + 4 + kCoffHeaderSize;
    ByteReader magicReader(file.subspan(optionalAt));
    const uint16_t magic = magicReader.u16();
    const size_t entryOffset =
        (magic == kPe32PlusMagic ? kDirectoriesAtPe32Plus : kDirectoriesAtPe32) +
        kCertificateDirectory * 8;
    if (entryOffset + 8 > optionalSize || optionalAt + entryOffset + 8 > file.size()) return none;
    ByteReader entry(file.subspan(optionalAt + entryOffset));
    const uint32_t tableAt = entry.u32();
    const uint32_t tableSize = entry.u32();
    if (tableAt == 0 || tableSize == 0) return none;
    SignatureInfo info;
    info.present = true;
    if (tableAt > file.size() || file.size() - tableAt < tableSize ||
        tableSize < kWinCertificateHeader) {
        info.problem = "the certificate table lies outside the file";
        return info;
    }
    ByteReader certificate(file.subspan(tableAt, tableSize));
    const uint32_t length = certificate.u32();
    const uint16_t revision = certificate.u16();
    const uint16_t type = certificate.u16();
    if (length < kWinCertificateHeader || length > tableSize || revision != kCertificateRevision2 ||
        type != kPkcsSignedData) {
        info.problem = "the certificate table holds no Authenticode signature";
        return info;
    }
    return readSignedData(
        file.subspan(tableAt + kWinCertificateHeader, length - kWinCertificateHeader));
}

}  // namespace velpack
