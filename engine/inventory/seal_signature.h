// Whether the package's seal comes from the wizard's own publisher: its detached CMS signature
// (package.sha256.p7s, DER) must hold for the seal's bytes, made by the wizard's certificate
// (publisher_signature.h). crypt32.dll checks, loaded from the system folder like wintrust.dll.
#pragma once

#include <string>

#include "engine/inventory/publisher_signature.h"

// True when `signature` is one signer's signature of `content` by the wizard's publisher, by SHA-256.
// A signature with signed attributes must also carry, as its messageDigest, the SHA-256 of
// `content`: the system's check alone may not compare it. False with `refusal` filled otherwise.
bool SealSignedByWizardsPublisher(const std::string& content, const std::string& signature, PublisherRefusal& refusal);
