#include "feeds/XMLRss.h"

#include "platform/Errors.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

std::string Std(const QString& text)
{
    return text.toStdString();
}

IXMLRssType Bind(const QString& xml)
{
    TXMLDocument doc;
    doc.LoadFromText(xml);
    return GetRss(doc);
}

// An rss document with one channel holding the given channel content.
IXMLChannelType ChannelOf(const QString& channelContent)
{
    return Bind(QStringLiteral("<rss version=\"2.0\" xmlns:itunes=\"urn:itunes\"><channel>%1</channel></rss>")
                    .arg(channelContent))
        ->Channel();
}

IXMLItemType ItemOf(const QString& itemContent)
{
    return ChannelOf(QStringLiteral("<item>%1</item>").arg(itemContent))->Item()->Items(0);
}

class XMLRssFileTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(XMLRssFileTest, LoadRssAcceptsOnlyAnRssDocumentElement)
{
    struct {
        const char* xml;
        bool binds;
    } cases[] = {
        {"<rss version=\"2.0\"><channel><title>T</title></channel></rss>", true},
        {"<?xml version=\"1.0\"?><!--c--><rss/>", true},
        {"<rss xmlns=\"http://backend.userland.com/rss2\"><channel/></rss>", true},
        {"<RSS><channel/></RSS>", false},
        {"<Rss/>", false},
        {"<r:rss xmlns:r=\"urn:r\"/>", false},
        {"<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"/>", false},
        {"<feed xmlns=\"http://www.w3.org/2005/Atom\"/>", false},
        {"<rss><channel></rss>", false},                              // not well-formed
        {"<rss><channel><itunes:author/></channel></rss>", false},   // undeclared prefix
        {"", false},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString path = Write(QStringLiteral("f%1.xml").arg(n++), c.xml);
        if (c.binds) {
            try {
                EXPECT_EQ(Std(LoadRss(path)->NodeName()), "rss") << c.xml;
            } catch (const EQuorbelError& e) {
                ADD_FAILURE() << c.xml << ": " << Std(e.Message());
            }
        } else {
            EXPECT_THROW(LoadRss(path), EQuorbelError) << c.xml;
        }
    }
    EXPECT_THROW(LoadRss(dir.filePath("missing.xml")), EQuorbelError);
}

TEST_F(XMLRssFileTest, BoundDocumentLivesAsLongAsAnyWrapper)
{
    const QString path = Write("feed.xml",
                               "<rss><channel><title>Kept</title><item><title>One</title></item></channel></rss>");
    IXMLItemType item;
    IXMLChannelType channel;
    {
        IXMLRssType rss = LoadRss(path);
        channel = rss->Channel();
        item = channel->Item()->Items(0);
    }
    QFile::remove(path);
    EXPECT_EQ(Std(channel->Title()), "Kept");
    EXPECT_EQ(Std(item->Title()), "One");
    EXPECT_EQ(Std(item->ParentNode().NodeName()), "channel");
}

TEST(XMLRssItemTest, FirstChildTextReadersNeverFail)
{
    struct {
        const char* title;        // content of the item's title element; nullptr: none
        const char* expected;
    } cases[] = {
        {"Plain", "Plain"},
        {"<![CDATA[<b>Bold</b> & more]]>", "<b>Bold</b> & more"},
        {"Leading text <b>then markup</b> and more", "Leading text "},
        {"<b>bold</b> rest", "bold"},                       // an element first: its own text
        {"<b>x<i>y</i></b> rest", ""},                      // its own text fails: swallowed
        {"<br/>text", ""},
        {"<!--note-->Text", "note"},                        // a comment's text is its content
        {"", ""},
        {nullptr, ""},
        {"Tom &amp; Jerry", "Tom & Jerry"},
    };
    for (const auto& c : cases) {
        const char* label = c.title ? c.title : "(no title)";
        auto element = [&](const char* name) {
            return c.title ? QStringLiteral("<%1>%2</%1>").arg(QLatin1String(name), QLatin1String(c.title)) : QString();
        };
        IXMLItemType item = ItemOf(element("title") + element("description") + element("link") + element("pubDate"));
        EXPECT_EQ(Std(item->Title()), c.expected) << label;
        EXPECT_EQ(Std(item->Description()), c.expected) << label;
        // The same lenient reading for any field, beside the plain readers.
        EXPECT_EQ(Std(item->FirstChildText("link")), c.expected) << label;
        EXPECT_EQ(Std(item->FirstChildText("pubDate")), c.expected) << label;
        IXMLChannelType channel = ChannelOf(element("title") + element("description"));
        EXPECT_EQ(Std(channel->FirstChildText("title")), c.expected) << label;
        EXPECT_EQ(Std(channel->FirstChildText("description")), c.expected) << label;
    }
}

TEST(XMLRssItemTest, PlainTextReadsFailOnMarkup)
{
    IXMLItemType item = ItemOf("<link>http://a/<b/></link><pubDate>Mon, <i>1</i></pubDate>"
                               "<itunes:summary>x<![CDATA[y]]></itunes:summary>");
    EXPECT_THROW(item->Link(), EQuorbelError);
    EXPECT_THROW(item->PubDate(), EQuorbelError);
    EXPECT_THROW(item->Summary(), EQuorbelError);

    IXMLChannelType channel = ChannelOf("<title><![CDATA[A <b>title</b>]]></title>"
                                        "<description>Text <a href=\"x\">link</a></description>");
    EXPECT_EQ(Std(channel->Title()), "A <b>title</b>");
    EXPECT_THROW(channel->Description(), EQuorbelError);
}

TEST(XMLRssItemTest, MissingElementsReadEmptyAndAreCreated)
{
    IXMLItemType item = ItemOf("<title>Only a title</title>");
    EXPECT_EQ(Std(item->Link()), "");
    EXPECT_EQ(Std(item->PubDate()), "");
    EXPECT_EQ(Std(item->Enclosure()->Url()), "");
    EXPECT_EQ(Std(item->Enclosure()->Type()), "");
    EXPECT_EQ(Std(item->Description()), "");
    // Reading added them to the in-memory document, once each.
    EXPECT_EQ(Std(item->Enclosure()->Url()), "");
    std::string names;
    for (const TXMLNode& child : item->ChildNodes())
        names += Std(child.NodeName()) + (child.HasChildNodes() ? "+ " : " ");
    EXPECT_EQ(names, "title+ link pubDate enclosure description ");
    const TXMLNode enclosure = item->FindChild("enclosure");
    EXPECT_TRUE(enclosure.HasAttribute("url"));
    EXPECT_TRUE(enclosure.HasAttribute("type"));
    EXPECT_FALSE(enclosure.HasAttribute("length"));
}

TEST(XMLRssItemTest, EnclosureAttributes)
{
    IXMLEnclosureType enclosure =
        ItemOf("<enclosure url=\"http://x/a.mp3\" length=\"12345\" type=\"audio/mpeg\"/>")->Enclosure();
    EXPECT_EQ(Std(enclosure->Url()), "http://x/a.mp3");
    EXPECT_EQ(enclosure->Length(), 12345);
    EXPECT_EQ(Std(enclosure->Type()), "audio/mpeg");
    enclosure->SetLength(7);
    enclosure->SetUrl("http://y/");
    EXPECT_EQ(Std(enclosure->Attribute("length")), "7");
    EXPECT_EQ(Std(enclosure->Url()), "http://y/");
}

TEST(XMLRssChannelTest, EmptyOrMissingChannelReadsEmpty)
{
    const char* documents[] = {
        "<rss version=\"2.0\"><channel/></rss>",
        "<rss version=\"2.0\"><channel></channel></rss>",
        "<rss version=\"2.0\"/>",
        "<rss version=\"2.0\"><!--nothing--></rss>",
    };
    for (const char* xml : documents) {
        IXMLRssType rss = Bind(xml);
        IXMLChannelType channel = rss->Channel();
        EXPECT_EQ(Std(channel->Title()), "") << xml;
        EXPECT_EQ(Std(channel->Description()), "") << xml;
        EXPECT_EQ(channel->Item()->Count(), 0) << xml;
        EXPECT_EQ(rss->FindChildren("channel").size(), 1u) << xml; // created when missing
    }
}

TEST(XMLRssChannelTest, PrefixedExtensionElementsMatchByLocalName)
{
    IXMLChannelType channel = ChannelOf(
        "<title>Show</title>"
        "<itunes:subtitle>Sub</itunes:subtitle>"
        "<itunes:summary>Sum</itunes:summary>"
        "<itunes:explicit>no</itunes:explicit>"
        "<itunes:author>Ann</itunes:author>"
        "<itunes:owner><itunes:name>Owner</itunes:name><itunes:email>o@x</itunes:email></itunes:owner>"
        "<itunes:image href=\"http://x/i.png\"/>"
        "<itunes:category text=\"Technology\"/>"
        "<item><itunes:duration>01:02</itunes:duration><itunes:keywords>a,b</itunes:keywords>"
        "<itunes:explicit>yes</itunes:explicit><itunes:subtitle>is</itunes:subtitle>"
        "<itunes:category text=\"News\"/><itunes:author>A1</itunes:author><author>A2</author></item>");
    EXPECT_EQ(Std(channel->Subtitle()), "Sub");
    EXPECT_EQ(Std(channel->Summary()), "Sum");
    EXPECT_EQ(Std(channel->Explicit()), "no");
    EXPECT_EQ(Std(channel->Author()), "Ann");
    EXPECT_EQ(Std(channel->Owner()->Name()), "Owner");
    EXPECT_EQ(Std(channel->Owner()->Email()), "o@x");
    EXPECT_EQ(Std(channel->Image()->Href()), "http://x/i.png");
    EXPECT_EQ(Std(channel->Category()->Text_()), "Technology");
    IXMLItemType item = channel->Item()->Items(0);
    EXPECT_EQ(Std(item->Duration()), "01:02");
    EXPECT_EQ(Std(item->Keywords()), "a,b");
    EXPECT_EQ(Std(item->Explicit()), "yes");
    EXPECT_EQ(Std(item->Subtitle()), "is");
    EXPECT_EQ(Std(item->Category()->Text_()), "News");
    ASSERT_EQ(item->Author()->Count(), 2);
    EXPECT_EQ(Std(item->Author()->Items(0)), "A1");
    EXPECT_EQ(Std(item->Author()->Items(1)), "A2");
}

TEST(XMLRssChannelTest, FirstMatchInDocumentOrderWithinTheNamespace)
{
    // Without a namespace on the channel a prefixed element that comes first wins.
    EXPECT_EQ(Std(ChannelOf("<itunes:title>Ext</itunes:title><title>Plain</title>")->Title()), "Ext");
    // Under a channel in a namespace only that namespace's children count.
    IXMLChannelType channel =
        Bind("<rss xmlns=\"urn:rss\" xmlns:x=\"urn:x\"><channel><x:title>Ext</x:title><title>Plain</title>"
             "<x:item/><item><title>I</title></item></channel></rss>")
            ->Channel();
    EXPECT_EQ(Std(channel->Title()), "Plain");
    ASSERT_EQ(channel->Item()->Count(), 1);
    EXPECT_EQ(Std(channel->Item()->Items(0)->Title()), "I");
}

TEST(XMLRssChannelTest, IntegerReads)
{
    struct {
        const char* ttl; // nullptr: no ttl element
        bool valid;
        int expected;
    } cases[] = {
        {"60", true, 60}, {" 15 ", true, 15}, {"-1", true, -1}, {"+3", true, 3},
        {"abc", false, 0}, {"12x", false, 0}, {"1.5", false, 0}, {"", false, 0},
        {"99999999999", false, 0}, {"<b>1</b>", false, 0}, {nullptr, false, 0},
    };
    for (const auto& c : cases) {
        IXMLChannelType channel =
            ChannelOf(c.ttl ? QStringLiteral("<ttl>%1</ttl>").arg(QLatin1String(c.ttl)) : QString());
        const char* label = c.ttl ? c.ttl : "(none)";
        if (c.valid) {
            EXPECT_EQ(channel->Ttl(), c.expected) << label;
        } else {
            EXPECT_THROW(channel->Ttl(), EQuorbelError) << label;
        }
    }
    EXPECT_THROW(ItemOf("<enclosure length=\"big\"/>")->Enclosure()->Length(), EQuorbelError);
    EXPECT_THROW(ItemOf("<enclosure/>")->Enclosure()->Length(), EQuorbelError);
}

TEST(XMLRssChannelTest, ItemCollectionInDocumentOrder)
{
    IXMLChannelType channel = ChannelOf("<item><title>A</title></item><title>T</title>"
                                        "<item><title>B</title></item><item><title>C</title></item>");
    IXMLItemTypeList items = channel->Item();
    ASSERT_EQ(items->Count(), 3);
    EXPECT_EQ(Std(items->Items(0)->Title()), "A");
    EXPECT_EQ(Std(items->Items(2)->Title()), "C");
    EXPECT_THROW(items->Items(3), EQuorbelError);
    EXPECT_THROW(items->Items(-1), EQuorbelError);

    items->Insert(0)->SetTitle("First");
    items->Add()->SetTitle("Last");
    items->Insert(2)->SetTitle("Middle");
    std::string titles;
    for (int i = 0; i < items->Count(); ++i)
        titles += Std(items->Items(i)->Title()) + ' ';
    EXPECT_EQ(titles, "First A Middle B C Last ");
    items->Delete(1);
    EXPECT_EQ(Std(items->Items(1)->Title()), "Middle");
    items->Clear();
    EXPECT_EQ(items->Count(), 0);
    EXPECT_EQ(Std(channel->Title()), "T");
}

template <class T>
struct TextAccessor {
    void (T::*write)(const QString&);
    QString (T::*read)();
    const char* name;
};

TEST(XMLRssChannelTest, WritersThenReadersThroughTheText)
{
    const TextAccessor<TXMLChannelType> channelTexts[] = {
        {&TXMLChannelType::SetTitle, &TXMLChannelType::Title, "title"},
        {&TXMLChannelType::SetLink, &TXMLChannelType::Link, "link"},
        {&TXMLChannelType::SetDescription, &TXMLChannelType::Description, "description"},
        {&TXMLChannelType::SetLanguage, &TXMLChannelType::Language, "language"},
        {&TXMLChannelType::SetCopyright, &TXMLChannelType::Copyright, "copyright"},
        {&TXMLChannelType::SetLastBuildDate, &TXMLChannelType::LastBuildDate, "lastBuildDate"},
        {&TXMLChannelType::SetManagingEditor, &TXMLChannelType::ManagingEditor, "managingEditor"},
        {&TXMLChannelType::SetWebMaster, &TXMLChannelType::WebMaster, "webMaster"},
        {&TXMLChannelType::SetGenerator, &TXMLChannelType::Generator, "generator"},
        {&TXMLChannelType::SetAuthor, &TXMLChannelType::Author, "author"},
        {&TXMLChannelType::SetSubtitle, &TXMLChannelType::Subtitle, "subtitle"},
        {&TXMLChannelType::SetSummary, &TXMLChannelType::Summary, "summary"},
        {&TXMLChannelType::SetExplicit, &TXMLChannelType::Explicit, "explicit"},
    };
    const TextAccessor<TXMLItemType> itemTexts[] = {
        {&TXMLItemType::SetTitle, &TXMLItemType::Title, "title"},
        {&TXMLItemType::SetDescription, &TXMLItemType::Description, "description"},
        {&TXMLItemType::SetPubDate, &TXMLItemType::PubDate, "pubDate"},
        {&TXMLItemType::SetSubtitle, &TXMLItemType::Subtitle, "subtitle"},
        {&TXMLItemType::SetSummary, &TXMLItemType::Summary, "summary"},
        {&TXMLItemType::SetExplicit, &TXMLItemType::Explicit, "explicit"},
        {&TXMLItemType::SetDuration, &TXMLItemType::Duration, "duration"},
        {&TXMLItemType::SetKeywords, &TXMLItemType::Keywords, "keywords"},
        {&TXMLItemType::SetLink, &TXMLItemType::Link, "link"},
    };
    // Each field gets its own value, markup characters included.
    auto value = [](const char* name) { return QStringLiteral("<%1> & more").arg(QLatin1String(name)); };

    IXMLRssType rss = NewRss();
    rss->SetVersion("2.0");
    IXMLChannelType channel = rss->Channel();
    for (const auto& a : channelTexts)
        (channel.get()->*a.write)(value(a.name));
    channel->SetTtl(30);
    channel->Owner()->SetName("o");
    channel->Owner()->SetEmail("o@x");
    channel->Image()->SetHref("http://x/i.png");
    channel->Category()->SetText_("Tech");
    IXMLItemType item = channel->Item()->Add();
    for (const auto& a : itemTexts)
        (item.get()->*a.write)(value(a.name));
    item->Enclosure()->SetUrl("http://x/a.mp3");
    item->Enclosure()->SetType("audio/mpeg");
    item->Author()->Add("Bob");
    item->Author()->Insert(0, "Al");

    // Serialise, bind the text again and read everything back.
    TXMLDocument doc;
    doc.LoadFromText(rss->XML());
    IXMLRssType back = GetRss(doc);
    EXPECT_EQ(Std(back->Version()), "2.0");
    IXMLChannelType c = back->Channel();
    for (const auto& a : channelTexts) {
        EXPECT_EQ(Std((c.get()->*a.read)()), Std(value(a.name)));
        EXPECT_EQ(c->FindChildren(a.name).size(), 1u) << a.name;
    }
    EXPECT_EQ(c->Ttl(), 30);
    EXPECT_EQ(Std(c->Owner()->Name()), "o");
    EXPECT_EQ(Std(c->Owner()->Email()), "o@x");
    EXPECT_EQ(Std(c->Image()->Href()), "http://x/i.png");
    EXPECT_EQ(Std(c->Category()->Text_()), "Tech");
    ASSERT_EQ(c->Item()->Count(), 1);
    IXMLItemType i = c->Item()->Items(0);
    for (const auto& a : itemTexts)
        EXPECT_EQ(Std((i.get()->*a.read)()), Std(value(a.name)));
    EXPECT_EQ(Std(i->Enclosure()->Url()), "http://x/a.mp3");
    EXPECT_EQ(Std(i->Enclosure()->Type()), "audio/mpeg");
    ASSERT_EQ(i->Author()->Count(), 2);
    EXPECT_EQ(Std(i->Author()->Items(0)), "Al");
    EXPECT_EQ(Std(i->Author()->Items(1)), "Bob");
}

TEST(XMLRssChannelTest, WritersReplaceMixedContent)
{
    IXMLChannelType channel = ChannelOf("<description>Text <b>bold</b></description>");
    EXPECT_THROW(channel->Description(), EQuorbelError);
    channel->SetDescription("plain");
    EXPECT_EQ(Std(channel->Description()), "plain");
    EXPECT_EQ(channel->FindChildren("description").size(), 1u);
}

} // namespace
