#pragma once
// The parts of the configuration files that come with Tomcat and the
// connector before the panel adds anything: the stock server.xml with its
// comments, and the comment blocks at the top of the connector's property
// files. They make the generated files look like the ones on a real server.

#include <string_view>

namespace bench {

// server.xml from the XML declaration up to the end of the stock "Catalina"
// Service, without the closing </Server> tag and its line.
std::string_view stockServerXmlHead();

// Comment blocks and the stock default worker, lines separated by '\n'.
std::string_view stockWorkersHeader();
std::string_view stockDefaultWorker();
std::string_view stockUriWorkerMapHeader();

}  // namespace bench
