// The form schema against the main dialog's template: every form field of the template has its
// row and every row its control, of the same kind and in the same radio group.
#include "form_schema.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "dialog_template.h"

namespace {

bool KindMatches(FieldKind field, ControlKind control) {
    switch (field) {
        case FieldKind::kRadio:
            return control == ControlKind::kRadioButton;
        case FieldKind::kCheckBox:
            return control == ControlKind::kCheckBox;
        case FieldKind::kEdit:
            return control == ControlKind::kEdit;
        case FieldKind::kAddress:
            return control == ControlKind::kIpAddress;
        case FieldKind::kList:
            return control == ControlKind::kComboBox;
    }
    return false;
}

// The visible inputs of the template, but for the port list, which picks the link.
bool IsFormInput(const ControlTemplate& control) {
    using enum ControlKind;
    const bool input = control.kind == kRadioButton || control.kind == kCheckBox ||
                       control.kind == kEdit || control.kind == kIpAddress ||
                       control.kind == kComboBox;
    return input && !control.Has(kHidden) && control.id != ctl::kComPortList;
}

TEST(FormSchemaTest, EveryRowHasItsTemplateControlOfTheSameKind) {
    std::set<int> ids;
    for (const FormField& field : kFormSchema) {
        EXPECT_TRUE(ids.insert(field.id).second) << "two rows for " << field.id;
        const ControlTemplate* control = FindControl(kMainDialogTemplate, field.id);
        ASSERT_NE(control, nullptr) << field.id << " is not in the template";
        EXPECT_TRUE(KindMatches(field.kind, control->kind)) << field.id;
        EXPECT_TRUE(IsFormInput(*control)) << field.id;
        EXPECT_EQ(field.kind == FieldKind::kList, !field.entries.empty()) << field.id;
        EXPECT_EQ(field.kind == FieldKind::kRadio, field.radioGroup != 0) << field.id;
    }
}

TEST(FormSchemaTest, EveryFormInputOfTheTemplateHasItsRow) {
    for (const ControlTemplate& control : kMainDialogTemplate.controls) {
        if (!IsFormInput(control)) continue;
        EXPECT_NE(FindFormField(control.id), nullptr) << control.id << " has no schema row";
    }
}

// A template radio group runs from a radio with the group style up to the next control with it.
TEST(FormSchemaTest, RadioGroupsAreTheTemplatesGroups) {
    std::map<int, int> templateGroupOf;
    int templateGroup = 0;
    for (const ControlTemplate& control : kMainDialogTemplate.controls) {
        if (control.Has(kGroup)) ++templateGroup;
        if (control.kind == ControlKind::kRadioButton) templateGroupOf[control.id] = templateGroup;
    }
    for (const FormField& a : kFormSchema) {
        for (const FormField& b : kFormSchema) {
            if (a.kind != FieldKind::kRadio || b.kind != FieldKind::kRadio) continue;
            EXPECT_EQ(a.radioGroup == b.radioGroup, templateGroupOf[a.id] == templateGroupOf[b.id])
                << a.id << " and " << b.id;
        }
    }
}

TEST(FormSchemaTest, ReactionsFollowTheKindOfChange) {
    for (const FormField& field : kFormSchema) {
        // Typing only recomposes; everything else is applied back. Only radios have roles.
        const bool typed = field.change == Notify::kEditChange;
        EXPECT_EQ(field.reaction == Reaction::kRecompose, typed) << field.id;
        EXPECT_EQ(typed, field.kind == FieldKind::kEdit) << field.id;
        const bool role = field.reaction == Reaction::kReapplyServer ||
                          field.reaction == Reaction::kReapplyClient;
        EXPECT_EQ(role, field.radioGroup == kProtocolGroup) << field.id;
    }
    EXPECT_EQ(FindFormField(ctl::kSubmit), nullptr);
}

}  // namespace
