#pragma once

// Test-only certificates made in memory with OpenSSL: an authority and server certificates it
// signs, each for chosen host names and a chosen validity window, so the TLS cases need no files
// that could expire.

#include <QByteArray>

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>
#include <string>

namespace tlstest {

struct KeyFree
{
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateFree
{
    void operator()(X509* certificate) const { X509_free(certificate); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Certificate = std::unique_ptr<X509, CertificateFree>;

inline Key newKey()
{
    return Key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
}

inline bool addExtension(X509* certificate, X509V3_CTX* context, int nid, const char* value)
{
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, context, nid, value);
    if (!extension)
        return false;
    const bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

// What a certificate is for. `altNames` in subjectAltName syntax ("DNS:localhost,IP:127.0.0.1");
// the validity window in seconds from now.
struct Request
{
    std::string commonName;
    std::string altNames;
    long notBeforeSeconds = -3600;
    long notAfterSeconds = 86400;
    bool authority = false;
};

// Signed by `issuer` with `issuerKey`; self-signed when `issuer` is null.
inline Certificate makeCertificate(const Request& request, EVP_PKEY* key, X509* issuer, EVP_PKEY* issuerKey)
{
    static long serial = 1000;
    Certificate certificate(X509_new());
    X509* raw = certificate.get();
    X509_set_version(raw, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(raw), ++serial);
    X509_gmtime_adj(X509_getm_notBefore(raw), request.notBeforeSeconds);
    X509_gmtime_adj(X509_getm_notAfter(raw), request.notAfterSeconds);
    X509_set_pubkey(raw, key);
    X509_NAME* subject = X509_get_subject_name(raw);
    X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(request.commonName.c_str()), -1, -1, 0);
    X509_set_issuer_name(raw, issuer ? X509_get_subject_name(issuer) : subject);
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer ? issuer : raw, raw, nullptr, nullptr, 0);
    bool ok = addExtension(raw, &context, NID_subject_key_identifier, "hash");
    if (issuer)
        ok = ok && addExtension(raw, &context, NID_authority_key_identifier, "keyid:always");
    if (request.authority) {
        ok = ok && addExtension(raw, &context, NID_basic_constraints, "critical,CA:TRUE");
        ok = ok && addExtension(raw, &context, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        ok = ok && addExtension(raw, &context, NID_basic_constraints, "critical,CA:FALSE");
        ok = ok && addExtension(raw, &context, NID_key_usage, "critical,digitalSignature,keyEncipherment");
        ok = ok && addExtension(raw, &context, NID_ext_key_usage, "serverAuth");
        if (!request.altNames.empty())
            ok = ok && addExtension(raw, &context, NID_subject_alt_name, request.altNames.c_str());
    }
    ok = ok && X509_sign(raw, issuerKey ? issuerKey : key, EVP_sha256()) > 0;
    return ok ? std::move(certificate) : Certificate();
}

inline QByteArray toPem(X509* certificate)
{
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, certificate);
    char* data = nullptr;
    const long length = BIO_ctrl(bio, BIO_CTRL_INFO, 0, &data);
    QByteArray pem(data, static_cast<qsizetype>(length));
    BIO_free(bio);
    return pem;
}

// An authority with its key, and a server certificate it issued with the server's key.
struct Authority
{
    Key key = newKey();
    Certificate certificate;

    explicit Authority(const std::string& name)
    {
        Request request;
        request.commonName = name;
        request.authority = true;
        request.notBeforeSeconds = -86400;
        request.notAfterSeconds = 30L * 86400;
        certificate = makeCertificate(request, key.get(), nullptr, nullptr);
    }
};

struct ServerIdentity
{
    Key key = newKey();
    Certificate certificate;
};

inline ServerIdentity issue(const Authority& authority, const Request& request)
{
    ServerIdentity identity;
    identity.certificate =
        makeCertificate(request, identity.key.get(), authority.certificate.get(), authority.key.get());
    return identity;
}

} // namespace tlstest
