# Fails unless every symbol that LIBRARY defines for dynamic linking belongs to class BcfQtUi (its
# members, virtual table and type information, besides the few that the linker itself defines), and
# every member a host calls is among them.
execute_process(COMMAND ${NM} -D --defined-only -C ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${symbols}")
set(members 0)
foreach(line IN LISTS lines)
  if(line STREQUAL "")
    continue()
  endif()
  # nm marks local symbols with a lower-case letter (u, v and w are global): the version script
  # keeps them in the dynamic table but makes them local, so they are not exported.
  string(REGEX MATCH "^[0-9a-fA-F]* *([A-Za-z]) " prefix "${line}")
  if(CMAKE_MATCH_1 MATCHES "^[a-tx-z]$")
    continue()
  endif()
  string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" name "${line}")
  if(name MATCHES "^BcfQtUi::")
    math(EXPR members "${members} + 1")
  elseif(name MATCHES "^(vtable|typeinfo|typeinfo name) for BcfQtUi$")
    continue()
  elseif(NOT name MATCHES "^(_init|_fini|_edata|_end|__bss_start)$")
    message(FATAL_ERROR "unexpected export: ${name}")
  endif()
endforeach()
foreach(member IN ITEMS "BcfQtUi::BcfQtUi(" "BcfQtUi::~BcfQtUi()" "BcfQtUi::resize(int, int)" "BcfQtUi::setLanguage(QLocale const&)"
                        "BcfQtUi::hasUnsavedChanges() const" "BcfQtUi::save()" "BcfQtUi::widget() const"
                        "BcfQtUi::open(QString const&)" "BcfQtUi::saveAs(QString const&, BcfQtUi::Version)"
                        "BcfQtUi::close()" "BcfQtUi::currentFile() const" "BcfQtUi::currentVersion() const"
                        "BcfQtUi::topicGuids() const" "BcfQtUi::selectedTopicGuid() const" "BcfQtUi::selectTopic(QString const&)"
                        "BcfQtUi::setViewpointProvider(std::function<BcfViewpoint ()>)"
                        "BcfQtUi::addViewpoint(BcfViewpoint const&)"
                        "BcfQtUi::selectedTopicChanged(QString const&)" "BcfQtUi::unsavedChangesChanged(bool)"
                        "BcfQtUi::currentFileChanged(QString const&)"
                        "BcfQtUi::viewpointActivated(BcfViewpoint const&)"
                        "BcfQtUi::componentsSelected(QList<QString> const&)" "BcfQtUi::staticMetaObject")
  string(FIND "${symbols}" " ${member}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "not exported: ${member}")
  endif()
endforeach()
message(STATUS "${members} exported members of BcfQtUi, nothing else")
