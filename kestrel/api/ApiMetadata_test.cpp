// Metadata questions through the C functions.
#include "kestrel/api/TestSupport.h"

namespace kestrel::test {
namespace {

class ApiMetadataTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    ASSERT_NE(Connect(), 0u);
    ASSERT_EQ(CreateDb("Shop"), KS_OK);
    session_ = Logon("Shop");
    ASSERT_NE(session_, 0u);
  }

  std::vector<std::string> List(const char16_t* const* (*f)(KSHandle, const char16_t*, int32_t*),
                                const char16_t* cls) {
    int32_t count = -1;
    const char16_t* const* names = f(session_, cls, &count);
    return Strings(names, count);
  }

  KSHandle session_ = 0;
};

TEST_F(ApiMetadataTest, AnswersClassNamesIdsAndTheHierarchy) {
  const KSClassID customer = KSGetClassID(session_, u"Customer");
  ASSERT_GT(customer, 0);
  EXPECT_EQ(N(KSGetClassName(session_, customer)), "Customer");
  EXPECT_EQ(KSGetClassName(session_, -1), nullptr);
  EXPECT_EQ(KSGetClassName(session_, 9999), nullptr);
  EXPECT_EQ(KSGetClassID(session_, u"customer"), -1) << "class names are exact";
  EXPECT_EQ(KSGetClassID(session_, nullptr), -1);
  EXPECT_EQ(N(KSGetBaseClass(session_, u"VipCustomer")), "Customer");
  EXPECT_EQ(KSGetBaseClass(session_, u"Party"), nullptr);
  EXPECT_EQ(KSIsDescendentOf(session_, u"Party", u"VipCustomer"), 1);
  EXPECT_EQ(KSIsDescendentOf(session_, u"Customer", u"Customer"), 1);
  EXPECT_EQ(KSIsDescendentOf(session_, u"VipCustomer", u"Party"), 0);
  EXPECT_EQ(KSIsDescendentOf(session_, u"Nothing", u"Party"), 0);
  EXPECT_EQ(List(KSGetDescendents, u"Party"), std::vector<std::string>{"Customer"});
  EXPECT_EQ(List(KSGetDescendents, u"Order"), std::vector<std::string>{});
}

TEST_F(ApiMetadataTest, ListsEveryClassWithTheSystemClasses) {
  int32_t count = 0;
  EXPECT_EQ(Strings(KSGetTableNames(session_, &count), count),
            (std::vector<std::string>{"BOUDF", "BOUDFValue", "Customer", "Order", "Party",
                                      "SYSUser", "VipCustomer", "_DBTransaction"}));
  EXPECT_EQ(List(KSGetGlobalIndexes, u"BOUDF"), std::vector<std::string>{"primaryPV"});
}

TEST_F(ApiMetadataTest, DescribesFieldsWithAndWithoutInheritedOnes) {
  int32_t count = 0;
  const KSFieldDescription* own = KSGetFields(session_, u"Customer", 0, &count);
  ASSERT_EQ(count, 5);
  EXPECT_EQ(N(own[0].name), "rating");
  EXPECT_EQ(own[0].type, KS_TYPE_ENUMERATED);
  EXPECT_EQ(own[0].valueListID, 1);
  EXPECT_EQ(N(own[3].name), "code");
  EXPECT_EQ(own[3].actualAccess, KS_ACCESS_READ_ONLY);
  EXPECT_EQ(own[3].versionAccess, KS_ACCESS_INVISIBLE);
  EXPECT_EQ(N(own[4].name), "ordersPV");
  EXPECT_EQ(own[4].type, KS_TYPE_LINKS);
  EXPECT_EQ(N(own[4].referencedClass), "Order");
  const KSFieldDescription* all = KSGetFields(session_, u"Customer", 1, &count);
  ASSERT_EQ(count, 6);
  EXPECT_EQ(N(all[0].name), "name");
  EXPECT_EQ(all[0].length, 40);
  EXPECT_EQ(all[0].required, 1);
  EXPECT_EQ(all[0].inherited, 1);
  EXPECT_EQ(N(all[0].ownerClass), "Party");
  EXPECT_EQ(all[1].inherited, 0);
  const KSFieldDescription* order = KSGetFields(session_, u"Order", 1, &count);
  ASSERT_EQ(count, 8);
  EXPECT_EQ(N(order[2].name), "customerP");
  EXPECT_EQ(N(order[2].referencedClass), "Customer");
  EXPECT_EQ(order[0].referencedClass, nullptr);
  EXPECT_EQ(KSGetFields(session_, u"Nothing", 1, &count), nullptr);
  EXPECT_EQ(count, 0);
}

TEST_F(ApiMetadataTest, AnswersIndexesAndTheirFields) {
  EXPECT_EQ(List(KSGetGlobalIndexes, u"VipCustomer"),
            (std::vector<std::string>{"byName", "byRating"}));
  EXPECT_EQ(List(KSGetGlobalIndexes, u"Party"), std::vector<std::string>{"byName"});
  EXPECT_EQ(List(KSGetGlobalIndexes, u"Order"), std::vector<std::string>{"ordersPV"})
      << "a link index orders the class it leads to";
  int32_t count = 0;
  EXPECT_EQ(Strings(KSGetIndexFields(session_, u"VipCustomer", u"byRating", 0, &count), count),
            (std::vector<std::string>{"rating", "name"}));
  EXPECT_EQ(Strings(KSGetIndexFields(session_, u"Customer", u"ordersPV", 0, &count), count),
            std::vector<std::string>{"number"});
  EXPECT_EQ(Strings(KSGetIndexFields(session_, u"Customer", u"ordersPV", 1, &count), count),
            (std::vector<std::string>{"customerP", "number"}));
  EXPECT_EQ(Strings(KSGetIndexFields(session_, u"_DBTransaction", u"childrenPV", 1, &count), count),
            (std::vector<std::string>{"parentP", "name"}));
  EXPECT_EQ(KSGetIndexFields(session_, u"Party", u"byRating", 0, &count), nullptr)
      << "an index of a subclass is not the base's";
  EXPECT_EQ(count, 0);
}

TEST_F(ApiMetadataTest, AnswersFlagsAccessValueListsAndDefaults) {
  EXPECT_EQ(KSGetClassFlags(session_, u"Party"), KS_CLASS_VIRTUAL);
  EXPECT_EQ(KSGetClassFlags(session_, u"Order"), KS_CLASS_COMPUTED | KS_CLASS_TRANSIENT);
  EXPECT_EQ(KSGetClassFlags(session_, u"VipCustomer"), KS_CLASS_PRIVATE);
  EXPECT_EQ(KSGetClassFlags(session_, u"Nothing"), -1);
  EXPECT_EQ(KSGetClassRootAccess(session_, u"Customer"), KS_ACCESS_INSERT);
  EXPECT_EQ(KSGetClassVersionAccess(session_, u"Party"), KS_ACCESS_READ_ONLY);
  EXPECT_EQ(KSGetClassRootAccess(session_, u"Nothing"), KS_ACCESS_INVISIBLE);
  EXPECT_EQ(N(KSGetValueListText(session_, 1, 2)), "Bad");
  EXPECT_EQ(KSGetValueListText(session_, 1, 3), nullptr);
  EXPECT_EQ(KSGetValueListText(session_, 7, 1), nullptr);

  const KSField* rating = KSGetFieldDefaultValue(session_, u"VipCustomer", u"rating");
  ASSERT_NE(rating, nullptr);
  EXPECT_EQ(rating->type, KS_TYPE_ENUMERATED);
  EXPECT_EQ(rating->value.asInteger, 1);
  const KSField* limit = KSGetFieldDefaultValue(session_, u"Customer", u"creditLimit");
  ASSERT_NE(limit, nullptr);
  EXPECT_DOUBLE_EQ(limit->value.asDouble, 1000.5);
  const KSField* code = KSGetFieldDefaultValue(session_, u"Customer", u"code");
  ASSERT_NE(code, nullptr);
  EXPECT_EQ(N(code->value.asString), "C-1");
  EXPECT_EQ(N(code->name), "code");
  EXPECT_EQ(KSGetFieldDefaultValue(session_, u"Customer", u"name"), nullptr);
  EXPECT_EQ(KSGetFieldDefaultValue(session_, u"Customer", u"nothing"), nullptr);
}

TEST_F(ApiMetadataTest, AnswersServiceAccessAndSignalNames) {
  int32_t root = -1, version = -1;
  EXPECT_EQ(KSGetServiceAccess(session_, u"Billing", &root, &version), KS_OK);
  EXPECT_EQ(root, 1);
  EXPECT_EQ(version, 0);
  EXPECT_EQ(KSGetServiceAccess(session_, u"Nothing", &root, &version), KS_ERR_NO_SUCH_SERVICE);
  EXPECT_EQ(KSGetServiceAccess(session_, u"Billing", nullptr, &version), KS_ERR_INVALID_ARGUMENT);
  int32_t count = 0;
  EXPECT_EQ(Strings(KSGetAvailableSignals(session_, &count), count),
            std::vector<std::string>{"LowCredit"});
}

TEST_F(ApiMetadataTest, ReturnedTextsStayValidUntilTheNextCallOnTheSameHandle) {
  const KSHandle other = Logon("Shop");
  const char16_t* name = KSGetClassName(session_, KSGetClassID(session_, u"Order"));
  int32_t count = 0;
  KSGetTableNames(other, &count);
  KSGetFields(other, u"Order", 1, &count);
  EXPECT_EQ(N(name), "Order") << "calls on another handle leave it alone";
}

TEST_F(ApiMetadataTest, EveryMetadataFunctionRefusesBadHandles) {
  int32_t count = 0, a = 0, b = 0;
  for (const KSHandle bad : {KSHandle{0}, server_, KSGetRootTrn(session_), KSHandle{0x3FFFFFFF}}) {
    EXPECT_EQ(KSGetClassName(bad, 1), nullptr);
    EXPECT_EQ(KSGetClassID(bad, u"Party"), -1);
    EXPECT_EQ(KSGetBaseClass(bad, u"Customer"), nullptr);
    EXPECT_EQ(KSIsDescendentOf(bad, u"Party", u"Customer"), 0);
    EXPECT_EQ(KSGetTableNames(bad, &count), nullptr);
    EXPECT_EQ(KSGetGlobalIndexes(bad, u"Party", &count), nullptr);
    EXPECT_EQ(KSGetIndexFields(bad, u"Party", u"byName", 0, &count), nullptr);
    EXPECT_EQ(KSGetFields(bad, u"Party", 1, &count), nullptr);
    EXPECT_EQ(KSGetDescendents(bad, u"Party", &count), nullptr);
    EXPECT_EQ(KSGetClassFlags(bad, u"Party"), -1);
    EXPECT_EQ(KSGetValueListText(bad, 1, 1), nullptr);
    EXPECT_EQ(KSGetClassRootAccess(bad, u"Party"), KS_ACCESS_INVISIBLE);
    EXPECT_EQ(KSGetClassVersionAccess(bad, u"Party"), KS_ACCESS_INVISIBLE);
    EXPECT_EQ(KSGetServiceAccess(bad, u"Billing", &a, &b), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSGetFieldDefaultValue(bad, u"Customer", u"rating"), nullptr);
    EXPECT_EQ(KSGetAvailableSignals(bad, &count), nullptr);
    EXPECT_EQ(count, 0);
  }
}

}  // namespace
}  // namespace kestrel::test
