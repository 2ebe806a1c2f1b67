#include "app/endpoints.h"

namespace lumaru {

const Endpoints& DefaultEndpoints() {
    static const Endpoints defaults{
        .remoteConfig = "http://blog.lumaru.cn/lumaru/notice.html",
        .radio = "http://fm.baidu.com/",
        .feedback = "http://www.lumaru.cn/feedback.html",
        .contact = "http://www.lumaru.cn/contact.html",
        .chatGroup = "http://www.lumaru.cn/group.html",
        .chatGroupNumber = "528841396",
        .internetProbe = "http://www.baidu.com/",
        .defaultVideo = "http://www.iqiyi.com/v_19rrm66em8.html",
        .platformHosts = {"www.iqiyi.com", "v.qq.com", "www.mgtv.com", "www.le.com", "v.youku.com"},
    };
    return defaults;
}

namespace {
Endpoints& Table() {
    static Endpoints table = DefaultEndpoints();
    return table;
}
}  // namespace

const Endpoints& CurrentEndpoints() {
    return Table();
}

void SetEndpoints(const Endpoints& endpoints) {
    Table() = endpoints;
}

}  // namespace lumaru
