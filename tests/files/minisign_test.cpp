// Keys and signatures in minisign's formats, made here with fresh keys.
#include <gtest/gtest.h>

#include "files/minisign_key.h"
#include "files/minisign_signature.h"
#include "minisign_signer.h"

namespace {

const std::string kManifest =
    "{\"client_url\":\"http://h/GameClient.zip\",\"exe_path\":\"a.exe\"}\n";

class MinisignTest : public ::testing::Test {
 protected:
  MinisignTest() : pair(*GenerateMinisignKeyPair()), other(*GenerateMinisignKeyPair()) {}

  std::string Sign(std::string_view message,
                   MinisignAlgorithm algorithm = MinisignAlgorithm::Prehashed,
                   const MinisignKeyPair* by = nullptr) const {
    auto signature = SignMinisign((by ? *by : pair).secretKey, message, algorithm, "untrusted",
                                  "timestamp:1\tfile:pkg.json");
    EXPECT_TRUE(signature.has_value());
    return signature ? FormatMinisignSignature(*signature) : std::string();
  }

  SignatureCheck Verify(std::string_view signatureFile, std::string_view message) const {
    return VerifyMinisignFile(pair.publicKey, signatureFile, message);
  }

  MinisignKeyPair pair;
  MinisignKeyPair other;
};

TEST_F(MinisignTest, BothAlgorithmsVerify) {
  EXPECT_EQ(Verify(Sign(kManifest, MinisignAlgorithm::Legacy), kManifest), SignatureCheck::Valid);
  EXPECT_EQ(Verify(Sign(kManifest, MinisignAlgorithm::Prehashed), kManifest),
            SignatureCheck::Valid);
}

TEST_F(MinisignTest, ATamperedMessageIsRefused) {
  std::string tampered = kManifest;
  tampered[tampered.find("a.exe")] = 'b';
  for (auto algorithm : {MinisignAlgorithm::Legacy, MinisignAlgorithm::Prehashed}) {
    std::string signature = Sign(kManifest, algorithm);
    EXPECT_EQ(Verify(signature, tampered), SignatureCheck::MessageAltered);
    EXPECT_EQ(Verify(signature, kManifest + " "), SignatureCheck::MessageAltered);
    EXPECT_EQ(Verify(signature, ""), SignatureCheck::MessageAltered);
  }
}

TEST_F(MinisignTest, AnAlteredTrustedCommentIsRefused) {
  std::string signature = Sign(kManifest);
  std::size_t at = signature.find("timestamp:1");
  ASSERT_NE(at, std::string::npos);
  signature.replace(at, 11, "timestamp:2");
  EXPECT_EQ(Verify(signature, kManifest), SignatureCheck::CommentAltered);
}

TEST_F(MinisignTest, TheAlgorithmCannotBeSwitched) {
  auto signature = ParseMinisignSignature(Sign(kManifest, MinisignAlgorithm::Legacy));
  ASSERT_TRUE(signature);
  signature->algorithm = MinisignAlgorithm::Prehashed;
  EXPECT_EQ(VerifyMinisignSignature(pair.publicKey, *signature, kManifest),
            SignatureCheck::MessageAltered);
}

TEST_F(MinisignTest, ASignatureByAnotherKeyIsRefused) {
  EXPECT_EQ(Verify(Sign(kManifest, MinisignAlgorithm::Prehashed, &other), kManifest),
            SignatureCheck::OtherKey);
  // Another key that claims our key id still fails on the signature itself.
  MinisignKeyPair impostor = other;
  impostor.secretKey.keyId = pair.publicKey.keyId;
  EXPECT_EQ(Verify(Sign(kManifest, MinisignAlgorithm::Prehashed, &impostor), kManifest),
            SignatureCheck::MessageAltered);
}

TEST_F(MinisignTest, TruncatedOrBrokenSignatureFilesAreMalformed) {
  std::string signature = Sign(kManifest);
  // Only the final line end may be missing.
  for (std::size_t length = 0; length + 1 < signature.size(); ++length) {
    EXPECT_EQ(Verify(signature.substr(0, length), kManifest), SignatureCheck::Malformed) << length;
  }
  EXPECT_EQ(Verify(signature.substr(0, signature.size() - 1), kManifest), SignatureCheck::Valid);
  EXPECT_EQ(Verify("<html>404 Not Found</html>", kManifest), SignatureCheck::Malformed);
  std::string noPrefix = signature;
  noPrefix.replace(0, 9, "trusted  ");
  EXPECT_EQ(Verify(noPrefix, kManifest), SignatureCheck::Malformed);
}

TEST_F(MinisignTest, CrLfLineEndsAreAccepted) {
  std::string signature = Sign(kManifest);
  std::string crlf;
  for (char c : signature) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(Verify(crlf, kManifest), SignatureCheck::Valid);
}

TEST_F(MinisignTest, PublicKeysReadBackOnlyWhenWhole) {
  std::string line = FormatMinisignPublicKey(pair.publicKey);
  EXPECT_EQ(line.size(), 56u);
  auto key = ParseMinisignPublicKey("  " + line + "\n");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->key, pair.publicKey.key);
  EXPECT_EQ(key->keyId, pair.publicKey.keyId);
  EXPECT_FALSE(ParseMinisignPublicKey(line.substr(0, 52)));
  EXPECT_FALSE(ParseMinisignPublicKey(line + "AAAA"));
  EXPECT_FALSE(ParseMinisignPublicKey(line.substr(0, 55) + "!"));
  EXPECT_FALSE(ParseMinisignPublicKey(""));
  // A secret key line is no public key.
  std::string secret = FormatSecretKeyFile(pair.secretKey);
  EXPECT_FALSE(ParseMinisignPublicKey(secret.substr(secret.find('\n') + 1)));
  // The first two bytes must name Ed25519.
  std::string bytes = *DecodeBase64Exactly(line, 42);
  bytes[1] = 'X';
  EXPECT_FALSE(ParseMinisignPublicKey(EncodeBase64(bytes)));
}

TEST_F(MinisignTest, KeyFilesReadBack) {
  auto publicKey = ReadPublicKeyText(FormatPublicKeyFile(pair.publicKey));
  ASSERT_TRUE(publicKey);
  EXPECT_EQ(publicKey->key, pair.publicKey.key);
  SecretKeyReading secret = ReadSecretKeyFile(FormatSecretKeyFile(pair.secretKey), std::nullopt);
  ASSERT_EQ(secret.status, SecretKeyStatus::Ok);
  EXPECT_EQ(secret.key.secret, pair.secretKey.secret);
  EXPECT_EQ(secret.key.keyId, pair.secretKey.keyId);
  EXPECT_FALSE(SecretKeyIsEncrypted(FormatSecretKeyFile(pair.secretKey)));
}

TEST_F(MinisignTest, ACorruptedSecretKeyIsRefused) {
  std::string file = FormatSecretKeyFile(pair.secretKey);
  std::size_t line = file.find('\n') + 1;
  std::string bytes = *DecodeBase64Exactly(file.substr(line), 158);
  bytes[60] ^= 1;
  std::string corrupted = file.substr(0, line) + EncodeBase64(bytes) + "\n";
  EXPECT_EQ(ReadSecretKeyFile(corrupted, std::nullopt).status, SecretKeyStatus::Malformed);
}

}  // namespace
