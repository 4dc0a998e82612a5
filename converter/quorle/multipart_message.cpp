#include "multipart_message.h"

#include "mime_disposition_type.h"
#include "mime_field.h"
#include "mime_mechanism.h"
#include "mime_media_type.h"
#include "mime_names.h"

MultipartPartInfo::MultipartPartInfo() : m_type("Text"), m_subtype("Plain"), m_cte("7bit") {}

int MultipartPartInfo::Type() const {
    return m_type.empty() ? 0 : TypeStrToEnum(m_type);
}
void MultipartPartInfo::SetType(int type) {
    TypeEnumToStr(type, m_type);
}

int MultipartPartInfo::Subtype() const {
    return m_subtype.empty() ? 0 : SubtypeStrToEnum(m_subtype);
}
void MultipartPartInfo::SetSubtype(int subtype) {
    SubtypeEnumToStr(subtype, m_subtype);
}

int MultipartPartInfo::ContentTransferEncoding() const {
    return CteStrToEnum(m_cte);
}
void MultipartPartInfo::SetContentTransferEncoding(int encoding) {
    CteEnumToStr(encoding, m_cte);
}

void MultipartMessage::SetAutomaticFields() {
    MessageWrapper::SetAutomaticFields();
    MimeMediaType& type = Message()->Headers().ContentType();
    type.SetType(MIME_TYPE_MULTIPART);
    type.SetSubtype(MIME_SUBTYPE_MIXED);
    type.CreateBoundary(0);
}

int MultipartMessage::PartCount() const {
    return static_cast<int>(Message()->Body().NumBodyParts());
}

static const MimeString& FieldText(const MimeHeaders& headers, const char* name, const MimeString& fallback) {
    MimeField* field = headers.FindField(name);
    if (field == NULL || field->FieldBody() == NULL)
        return fallback;
    return field->FieldBody()->AsString();
}

void MultipartMessage::GetPart(int index, MultipartPartInfo& info) const {
    if (index < 0 || index >= PartCount()) {
        const MimeString empty;
        info.SetTypeStr(empty);
        info.SetSubtypeStr(empty);
        info.SetContentTransferEncodingStr(empty);
        info.SetContentDescription(empty);
        info.SetContentDisposition(empty);
        info.SetBody(empty);
        return;
    }
    MimeBodyPart& part = Message()->Body().BodyPartAt(static_cast<size_t>(index));
    MimeHeaders& headers = part.Headers();
    if (headers.HasContentType()) {
        info.SetTypeStr(headers.ContentType().TypeStr());
        info.SetSubtypeStr(headers.ContentType().SubtypeStr());
    } else {
        info.SetTypeStr("Text");
        info.SetSubtypeStr("Plain");
    }
    const MimeString empty;
    const MimeString sevenBit("7bit");
    info.SetContentTransferEncodingStr(FieldText(headers, "content-transfer-encoding", sevenBit));
    info.SetContentDescription(FieldText(headers, "content-description", empty));
    info.SetContentDisposition(FieldText(headers, "content-disposition", empty));
    info.SetBody(part.Body().AsString());
}

void MultipartMessage::FillPart(MimeBodyPart& part, const MultipartPartInfo& info, bool withLocation) {
    MimeHeaders& headers = part.Headers();
    if (!info.TypeStr().empty() && !info.SubtypeStr().empty()) {
        MimeMediaType& type = headers.ContentType();
        type.SetTypeStr(info.TypeStr());
        type.SetSubtypeStr(info.SubtypeStr());
    }
    if (!info.ContentTransferEncodingStr().empty())
        headers.ContentTransferEncoding().FromString(info.ContentTransferEncodingStr());
    if (!info.ContentDescription().empty())
        headers.ContentDescription().FromString(info.ContentDescription());
    if (!info.ContentDisposition().empty())
        headers.ContentDisposition().FromString(info.ContentDisposition());
    if (withLocation && !info.ContentLocation().empty())
        headers.ContentLocation().FromString(info.ContentLocation());
    part.Body().FromString(info.Body());
    part.SetModified();
}

void MultipartMessage::SetPart(int index, const MultipartPartInfo& info) {
    if (index < 0)
        return;
    MimeBody& body = Message()->Body();
    while (PartCount() <= index)
        body.AddBodyPart(CreateMimeBodyPart(MimeString(), NULL));
    FillPart(body.BodyPartAt(static_cast<size_t>(index)), info, false);
    body.SetModified();
}

void MultipartMessage::AddPart(const MultipartPartInfo& info) {
    std::unique_ptr<MimeBodyPart> part = CreateMimeBodyPart(MimeString(), NULL);
    FillPart(*part, info, true);
    Message()->Body().AddBodyPart(std::move(part));
}
