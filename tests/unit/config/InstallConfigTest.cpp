#include "config/InstallConfig.h"

#include <gtest/gtest.h>

#include <optional>

TEST(InstallConfig, DefaultsAreHiddenRowsNoOptionsAndOwnTitle)
{
    const InstallConfig config;
    EXPECT_FALSE(config.dir1Visible || config.dir2Visible || config.dir3Visible);
    EXPECT_FALSE(config.isJava || config.restartServer);
    EXPECT_EQ(config.getInstallTitle(), "Tarnwick");
    for (const std::string& text : { config.getClassPath(), config.getDir1Caption(), config.getDir2Caption(),
             config.getDir3Caption(), config.getDir1Value(), config.getDir2Value(), config.getDir3Value() })
        EXPECT_EQ(text, "");
    EXPECT_TRUE(config.getOptions().empty());

    const ConfigOption option;
    EXPECT_TRUE(option.enabled && option.visible);
    for (const std::string& text : { option.getCaption(), option.getTagName(), option.getClassName(),
             option.getDescription(), option.getSource(), option.getDest(), option.getType() })
        EXPECT_EQ(text, "");
}

namespace {

template<class T> struct TextField {
    void (T::*set)(std::string_view);
    std::string (T::*get)() const;
};

// Each setter must land in its own field and keep the bytes as given: all are set to distinct
// texts before any is read back.
template<class T, std::size_t N> void expectFieldsKeepTheirBytes(const TextField<T> (&fields)[N])
{
    const std::string odd = " \"C:\\Program Files\\\xE9t\xE9\" ";
    T object;
    for (std::size_t i = 0; i < N; ++i)
        (object.*fields[i].set)(odd + std::to_string(i));
    for (std::size_t i = 0; i < N; ++i)
        EXPECT_EQ((object.*fields[i].get)(), odd + std::to_string(i)) << "field " << i;
}

} // namespace

TEST(InstallConfig, EveryStringFieldKeepsItsBytes)
{
    using C = InstallConfig;
    const TextField<C> configFields[]
        = { { &C::setClassPath, &C::getClassPath }, { &C::setInstallTitle, &C::getInstallTitle },
              { &C::setDir1Caption, &C::getDir1Caption }, { &C::setDir2Caption, &C::getDir2Caption },
              { &C::setDir3Caption, &C::getDir3Caption }, { &C::setDir1Value, &C::getDir1Value },
              { &C::setDir2Value, &C::getDir2Value }, { &C::setDir3Value, &C::getDir3Value } };
    expectFieldsKeepTheirBytes(configFields);

    using O = ConfigOption;
    const TextField<O> optionFields[]
        = { { &O::setCaption, &O::getCaption }, { &O::setTagName, &O::getTagName },
              { &O::setClassName, &O::getClassName }, { &O::setDescription, &O::getDescription },
              { &O::setSource, &O::getSource }, { &O::setDest, &O::getDest }, { &O::setType, &O::getType } };
    expectFieldsKeepTheirBytes(optionFields);
}

TEST(InstallConfig, CopiesShareTheSameRecordsInOrder)
{
    auto first = std::make_shared<ConfigOption>();
    first->setCaption("first");
    auto second = std::make_shared<ConfigOption>();
    second->setCaption("second");

    std::optional<InstallConfig> original(std::in_place);
    original->addOption(first);
    original->addOption(second);
    original->addOption(first);
    original->isJava = true;
    original->setInstallTitle("Pack");

    const InstallConfig copy(*original);
    InstallConfig assigned;
    assigned = *original;
    original.reset();
    first.reset();
    second.reset();

    for (const InstallConfig* config : { &copy, static_cast<const InstallConfig*>(&assigned) }) {
        const ConfigOptionList options = config->getOptions();
        ASSERT_EQ(options.size(), 3u);
        EXPECT_EQ(options[0], options[2]);
        EXPECT_EQ(options[0]->getCaption(), "first");
        EXPECT_EQ(options[1]->getCaption(), "second");
        EXPECT_TRUE(config->isJava);
        EXPECT_EQ(config->getInstallTitle(), "Pack");
    }
    EXPECT_EQ(copy.getOptions(), assigned.getOptions());

    InstallConfig& self = assigned;
    assigned = self;
    EXPECT_EQ(assigned.getOptions(), copy.getOptions());
    EXPECT_EQ(assigned.getInstallTitle(), "Pack");
}
