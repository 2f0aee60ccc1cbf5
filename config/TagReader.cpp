#include "config/TagReader.h"

namespace tags {

std::string_view keywordText(Keyword keyword)
{
    for (const KeywordName& name : keywordNames)
        if (name.keyword == keyword)
            return name.text.substr(1);
    return {};
}

std::string_view attributeText(Attribute attribute)
{
    for (const AttributeName& name : optionAttributeNames)
        if (name.attribute == attribute)
            return name.text.substr(0, name.text.size() - 1);
    // VALUE, the one directory attribute that options lack.
    for (const AttributeName& name : dirAttributeNames)
        if (name.attribute == attribute)
            return name.text.substr(0, name.text.size() - 1);
    return {};
}

} // namespace tags
